#include "CDriverOptionDialog.h"

#include "CIPAddressCtrl.h"
#include "CNumEdit.h"
#include "CNumSpinCtrl.h"
#include "DialogUnits.h"
#include "DrvComboFill.h"
#include "KIPFtpSettings.h"
#include "KIPPrinterUtilities.h"
#include "ZuDrvUtl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {
enum Kind { kLabel, kList, kCheck, kButton, kEdit, kNumEdit, kSpin, kGroup, kAddressField };

struct TemplateItem {
    CDriverOptionDialog::Control id;
    Kind kind;
    const char* text;
    const char* name;   // object name, for tests and style sheets
    int x, y, width, height;   // dialog units
};

using D = CDriverOptionDialog;
// The "Driver Options" template in tab order. The drop-down lists' height is
// that of their open list; closed they take the height their style gives them.
constexpr TemplateItem kTemplate[] = {
    {D::kFileTypeLabel, kLabel, "File type:", "fileTypeLabel", 20, 11, 62, 8},
    {D::kFileType, kList, "", "fileType", 86, 9, 84, 104},
    {D::kCreate32Bit, kCheck, "Create 32 bit file", "create32Bit", 20, 28, 83, 10},
    {D::kInvert, kCheck, "Invert output", "invert", 20, 45, 83, 10},
    {D::kOk, kButton, "&OK", "ok", 17, 262, 50, 14},
    {D::kCancel, kButton, "&Cancel", "cancel", 75, 262, 50, 14},
    {D::kRestoreDefaults, kButton, "Restore Defaults", "restoreDefaults", 133, 262, 100, 14},
    {D::kCopiesLabel, kLabel, "Number copies:", "copiesLabel", 19, 62, 50, 8},
    {D::kCopies, kNumEdit, "", "copies", 76, 60, 40, 14},
    {D::kCopiesSpin, kSpin, "", "copiesSpin", 106, 60, 11, 14},
    {D::kFtpGroup, kGroup, "", "ftpGroup", 7, 140, 236, 69},
    {D::kUseFtp, kCheck, "Use FTP port", "useFtp", 17, 140, 58, 10},
    {D::kAddress, kAddressField, "", "address", 47, 116, 100, 15},
    {D::kAddressLabel, kLabel, "IP address:", "addressLabel", 7, 119, 36, 8},
    {D::kPortLabel, kLabel, "Port:", "portLabel", 161, 119, 16, 8},
    {D::kPort, kEdit, "", "port", 187, 116, 40, 14},
    {D::kUserLabel, kLabel, "User name:", "userLabel", 12, 156, 37, 8},
    {D::kPasswordLabel, kLabel, "Password:", "passwordLabel", 134, 156, 34, 8},
    {D::kUser, kEdit, "", "user", 54, 153, 73, 14},
    {D::kPassword, kEdit, "", "password", 176, 153, 60, 14},
    {D::kReadMedia, kButton, "Read Media from Printer", "readMedia", 16, 188, 108, 14},
    {D::kRemoveAfterTransfer, kCheck, "Automatically remove output files after the transfer", "removeAfterTransfer", 16,
     172, 172, 10},
    {D::kImageEnhancement, kList, "", "imageEnhancement", 119, 90, 84, 104},
    {D::kImageEnhancementLabel, kLabel, "Image Enhancement:", "imageEnhancementLabel", 21, 92, 95, 8},
    {D::kChoosePath, kButton, "Choose path to kawpdft", "choosePath", 154, 239, 89, 14},
    {D::kToolPath, kLabel, "", "toolPath", 7, 214, 236, 22},
    {D::kWakeUp, kButton, "Wake up printer", "wakeUp", 7, 239, 89, 14},
    {D::kBypassTray, kCheck, "Print to bypass tray", "bypassTray", 131, 28, 83, 10},
};
static_assert(std::size(kTemplate) == D::kControlCount);

constexpr int kDialogWidth = 250;   // dialog units
constexpr int kDialogHeight = 286;
constexpr int kFileTypeList = 9001;
constexpr int kImageEnhancementList = 9003;
constexpr int kStringBufferSize = 256;
constexpr double kMinCopies = 1.0;
constexpr double kMaxCopies = 1000.0;
// The options block keeps copies in one byte that readers take as signed.
constexpr int kMaxStoredCopies = 127;
constexpr uint32_t kFirst32BitColorMode = 3;

QString qText(const AString& text) { return QString::fromLocal8Bit(text.c_str()); }
AString aText(const QString& text) { return AString(text.toLocal8Bit().constData()); }

QWidget* makeControl(const TemplateItem& item, QWidget* parent) {
    const QString text = QString::fromLatin1(item.text);
    switch (item.kind) {
    case kLabel: return new QLabel(text, parent);
    case kList: return new QComboBox(parent);
    case kCheck: return new QCheckBox(text, parent);
    case kButton: return new QPushButton(text, parent);
    case kEdit: return new QLineEdit(parent);
    case kNumEdit: return new CNumEdit(parent);
    case kSpin: return new CNumSpinCtrl(parent);
    case kGroup: return new QGroupBox(parent);
    case kAddressField: return new CIPAddressCtrl(parent);
    }
    return nullptr;
}
}  // namespace

CDriverOptionDialog::CDriverOptionDialog(QWidget* parent, DriverOptions* block, PrinterSetup* setup)
    : QWidget(parent), options(block), printerSetup(setup) {
    createControls();
    modelSettings.LoadModelSettings(printerSetup);
    OnInitDialog();
}

CDriverOptionDialog::~CDriverOptionDialog() = default;

void CDriverOptionDialog::createControls() {
    QFont dialogFont(QStringLiteral("MS Sans Serif"), 8);
    dialogFont.setStyleHint(QFont::SansSerif);
    setFont(dialogFont);
    const DialogUnits units(font());
    setFixedSize(units.x(kDialogWidth), units.y(kDialogHeight));
    for (const TemplateItem& item : kTemplate) {
        QWidget* control = makeControl(item, this);
        control->setObjectName(QString::fromLatin1(item.name));
        QRect area = units.rect(item.x, item.y, item.width, item.height);
        if (item.kind == kList) area.setHeight(control->sizeHint().height());
        // Texts are never cut: a font wider than the template's widens its label or check box.
        if (item.kind == kLabel || item.kind == kCheck)
            area.setWidth(std::max(area.width(), control->sizeHint().width()));
        control->setGeometry(area);
        controls[item.id] = control;
    }
    copiesSpin = item<CNumSpinCtrl>(kCopiesSpin);
    copiesEdit = item<CNumEdit>(kCopies);
    address = item<CIPAddressCtrl>(kAddress);
    portEdit = item<QLineEdit>(kPort);
    userEdit = item<QLineEdit>(kUser);
    passwordEdit = item<QLineEdit>(kPassword);
    imageEnhancementList = item<QComboBox>(kImageEnhancement);
    portEdit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), portEdit));
    item<QLabel>(kToolPath)->setWordWrap(true);
    item<QLabel>(kToolPath)->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    item<QPushButton>(kOk)->setDefault(true);

    connect(item<QComboBox>(kFileType), &QComboBox::activated, this, [this] { OnFileTypeChanged(); });
    connect(item<QPushButton>(kRestoreDefaults), &QPushButton::clicked, this, [this] { OnRestoreDefaults(); });
    connect(item<QCheckBox>(kUseFtp), &QCheckBox::clicked, this, [this] { OnUseFtp(); });
    connect(item<QPushButton>(kReadMedia), &QPushButton::clicked, this, [this] { OnReadMedia(); });
    connect(item<QPushButton>(kWakeUp), &QPushButton::clicked, this, [this] { OnWakeUp(); });
    connect(item<QPushButton>(kChoosePath), &QPushButton::clicked, this, [this] { OnChoosePath(); });
}

void CDriverOptionDialog::OnInitDialog() {
    DrvFillComboFromString(kFileTypeList, item<QComboBox>(kFileType));

    copiesSpin->SetBuddy(copiesEdit);
    copiesEdit->SetVerbose(true);
    copiesEdit->SetDecimalPlaces(0);
    copiesSpin->SetRange(kMinCopies, kMaxCopies);
    copiesSpin->SetDelta(1.0);
    copiesSpin->SetPos(1.0);

    char list[kStringBufferSize] = {};
    DrvLoadString(kImageEnhancementList, list, kStringBufferSize);
    for (int i = 0, n = DrvCountListItems(list); i < n; ++i) {
        char name[kStringBufferSize] = {};
        DrvGetListItem(i, list, name, kStringBufferSize);
        imageEnhancementList->addItem(QString::fromLatin1(name));
    }

    const bool enhancement = modelSettings.ImageEnhancemen != 0;
    controls[kImageEnhancement]->setVisible(enhancement);
    controls[kImageEnhancementLabel]->setVisible(enhancement);
    const bool tool = modelSettings.KAWPDFT != 0;
    for (Control id : {kWakeUp, kChoosePath, kToolPath}) controls[id]->setVisible(tool);

    LoadControls();
    // The host's settings window has its own OK and Cancel.
    controls[kOk]->hide();
    controls[kCancel]->hide();
}

void CDriverOptionDialog::LoadControls() {
    fileTypeIndex = static_cast<int8_t>(options->fileType);
    create32Bit = static_cast<int8_t>(options->create32BitFile);
    invert = static_cast<int8_t>(options->invertOutput);
    useFtp = static_cast<int8_t>(options->useFtpPort);
    removeAfterTransfer = static_cast<int8_t>(options->removeAfterTransfer);
    bypassTray = static_cast<int8_t>(options->bypassTray);
    imageEnhancementIndex = static_cast<int8_t>(options->imageEnhancement);

    // Only TIFF is offered: the list shows it and cannot be changed.
    controls[kFileType]->setEnabled(false);
    fileTypeIndex = 0;

    // Colour modes below 3 are not 8-bit CMYK, for which alone one 32-bit file can be made.
    const bool can32Bit = printerSetup && printerSetup->colorModeId >= kFirst32BitColorMode;
    controls[kCreate32Bit]->setEnabled(can32Bit);
    if (!can32Bit) create32Bit = 0;

    copiesEdit->SetValue(options->copies);
    loadFtpSettings();
    // A missing or unreadable tool path file leaves the path as it was.
    KIPPrinterUtilities::LoadToolPath(toolPath);
    item<QLabel>(kToolPath)->setText(qText(toolPath));
    UpdateFtpControls();
    UpdateData(false);
}

void CDriverOptionDialog::loadFtpSettings() {
    KIPFtpSettings settings;
    // A file that cannot be read leaves the controls as they are.
    if (settings.Load() == KIPFtpSettings::kUnreadable) return;
    uint8_t n[KIPFtpSettings::kAddressFields] = {};
    for (int i = 0; i < KIPFtpSettings::kAddressFields; ++i)   // the low 8 bits of each number
        n[i] = static_cast<uint8_t>(std::atoi(settings.ip[i].c_str()) & 0xFF);
    address->SetAddress(n[0], n[1], n[2], n[3]);
    portEdit->setText(qText(settings.port));
    userEdit->setText(qText(settings.user));
    // No stored password (or no file) keeps what the field holds.
    if (!settings.password.IsEmpty()) passwordEdit->setText(qText(settings.password));
}

void CDriverOptionDialog::SaveControls() {
    UpdateData(true);
    const double copies = std::trunc(copiesEdit->GetValue());
    options->fileType = static_cast<uint8_t>(fileTypeIndex);
    options->create32BitFile = static_cast<uint8_t>(create32Bit);
    options->invertOutput = static_cast<uint8_t>(invert);
    // The field allows up to 1000 copies, the block's signed byte 127: more are stored as 127.
    options->copies = static_cast<int8_t>(std::min(copies, double(kMaxStoredCopies)));
    options->useFtpPort = static_cast<uint8_t>(useFtp);
    options->removeAfterTransfer = static_cast<uint8_t>(removeAfterTransfer);
    options->bypassTray = static_cast<uint8_t>(bypassTray);
    options->imageEnhancement = static_cast<uint8_t>(imageEnhancementIndex);
    if (useFtp) saveFtpSettings();
}

void CDriverOptionDialog::saveFtpSettings() {
    uint8_t n[CIPAddressCtrl::kFields] = {};
    address->GetAddress(n[0], n[1], n[2], n[3]);
    static_assert(CIPAddressCtrl::kFields == KIPFtpSettings::kAddressFields);
    KIPFtpSettings settings;
    for (int i = 0; i < CIPAddressCtrl::kFields; ++i) settings.ip[i] = AString(std::to_string(n[i]).c_str());
    settings.port = aText(portEdit->text());
    settings.user = aText(userEdit->text());
    settings.password = aText(passwordEdit->text());
    // A file that cannot be written is not reported: delivery then reports the missing settings.
    settings.Save();
}

void CDriverOptionDialog::UpdateFtpControls() {
    enableFtpControls(useFtp != 0);
    controls[kWakeUp]->setEnabled(!toolPath.IsEmpty());
}

void CDriverOptionDialog::enableFtpControls(bool on) {
    // The address field and the "Port:" label stay enabled: "Wake up printer" uses the address too.
    for (Control id : {kAddressLabel, kPort, kUserLabel, kUser, kPasswordLabel, kPassword, kReadMedia,
                       kRemoveAfterTransfer})
        controls[id]->setEnabled(on);
}

void CDriverOptionDialog::UpdateData(bool save) {
    auto* fileType = item<QComboBox>(kFileType);
    const std::pair<Control, int*> checks[] = {{kCreate32Bit, &create32Bit}, {kInvert, &invert},
                                               {kRemoveAfterTransfer, &removeAfterTransfer},
                                               {kBypassTray, &bypassTray}, {kUseFtp, &useFtp}};
    if (!save) {
        fileType->setCurrentIndex(fileTypeIndex);
        for (const auto& [id, value] : checks) item<QCheckBox>(id)->setChecked(*value != 0);
        imageEnhancementList->setCurrentIndex(imageEnhancementIndex);
        return;
    }
    fileTypeIndex = fileType->currentIndex();
    for (const auto& [id, value] : checks) *value = item<QCheckBox>(id)->isChecked() ? 1 : 0;
    // A value the list does not offer has no selection; it is kept rather than lost.
    if (imageEnhancementList->currentIndex() >= 0) imageEnhancementIndex = imageEnhancementList->currentIndex();
}

void CDriverOptionDialog::OnFileTypeChanged() {
    UpdateData(true);
    controls[kCreate32Bit]->setEnabled(fileTypeIndex == 0);
}

void CDriverOptionDialog::OnRestoreDefaults() {
    setDefaultOptions(options);
    LoadControls();
}

void CDriverOptionDialog::OnUseFtp() {
    UpdateData(true);
    enableFtpControls(useFtp != 0);
}

void CDriverOptionDialog::OnReadMedia() { KIPPrinterUtilities::ReadMediaFromPrinter(); }

void CDriverOptionDialog::OnWakeUp() {
    if (toolPath.IsEmpty()) return;
    // The address as the field shows it now, not as the FTP settings saved it.
    uint8_t n[CIPAddressCtrl::kFields] = {};
    address->GetAddress(n[0], n[1], n[2], n[3]);
    KIPPrinterUtilities::WakeUpPrinter(toolPath, n);
}

void CDriverOptionDialog::OnChoosePath() {
    QFileDialog dialog(this);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // No default extension ".exe": Qt would append it to every chosen name
    // without one, and programs on Linux, kawpdft among them, have none.
    dialog.selectFile(QStringLiteral("kawpdft"));
    // Qt's own dialog on every platform, so that it behaves the same headless and in tests.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const AString chosen = aText(dialog.selectedFiles().first());
    // A path that cannot be saved is not taken up: the next dialog would not know it.
    if (!KIPPrinterUtilities::SaveToolPath(chosen)) return;
    toolPath = chosen;
    item<QLabel>(kToolPath)->setText(qText(toolPath));
    UpdateFtpControls();
}

bool CDriverOptionDialog::OnSetActive() {
    LoadControls();
    return true;
}

bool CDriverOptionDialog::OnKillActive() {
    SaveControls();
    return true;
}

void CDriverOptionDialog::OnOK() { SaveControls(); }
