// The "Driver Options" page and its modal form, driven as a user would, over
// a base folder with the sample printer descriptions: what it offers, its
// copies and address fields, the FTP settings and the tool it saves, what
// closes it, and the page a host gets from the module.
#include "ABasePrinterDriver.h"
#include "CDriver.h"
#include "CDriverOptionDialog.h"
#include "CIPAddressCtrl.h"
#include "CNumEdit.h"
#include "DialogLayer.h"
#include "LoadedModule.h"
#include "Platform/PlatformMessageBox.h"
#include "TempBaseFolder.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <tuple>

namespace fs = std::filesystem;

namespace {
using D = CDriverOptionDialog;
const char* const kNotANumber = "Characters must be a number.\n";
const char* const kOutOfRange = "Given value is out of range. Min=1.00 Max=1000.00\n";

// A block with its defaults and a recognisable reserved part, a setup for "KIP 870 Color" in its
// colour mode 5, and the sample descriptions in a fresh base folder.
class OptionsDialog : public ::testing::Test {
protected:
    OptionsDialog() {
        base.copySamples();
        for (const char* name : {"KIPFTPSettings.xml", "KIP_kawpdft.xml"}) fs::remove(base.temp() / name);
        std::memset(&block, 0xA5, sizeof block);
        setDefaultOptions(&block);
        useModel("KIP 870 Color", 5);
    }
    ~OptionsDialog() override { DialogLayer::Uninstall(); }

    void useModel(const char* model, uint32_t colorMode) {
        std::memset(setup.modelName, 0, sizeof setup.modelName);
        std::strncpy(setup.modelName, model, sizeof setup.modelName - 1);
        setup.colorModeId = colorMode;
    }
    std::unique_ptr<D> open() {
        auto page = std::make_unique<D>(nullptr, &block, &setup);
        page->show();
        page->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(page.get()));
        return page;
    }
    template <typename T>
    static T* item(const D& page, D::Control id) {
        return static_cast<T*>(page.Item(id));
    }
    // Runs editOptions on the block with the Qt dialog; user() acts in the open dialog.
    int edit(int mode, const std::function<void(QDialog&)>& user) {
        DialogLayer::Install();
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog) return ADD_FAILURE() << "no modal dialog";
            user(*dialog);
        });
        return driver.editOptions(&block, mode, &setup, nullptr);
    }
    fs::path ftpSettings() const { return base.temp() / "KIPFTPSettings.xml"; }

    TempBaseFolder base;
    PrinterSetup setup;
    DriverOptions block;
    MessageBoxCapture boxes;
    CDriver driver;
};

void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(4, widget->height() / 2)); }
}  // namespace

TEST_F(OptionsDialog, OffersWhatTheModelAndColourModeAllowAndKeepsWhatItHides) {
    // The 700m has no image enhancement, and here no kawpdft either.
    std::string text = readFile(base.outputDrivers() / "KIP700m.xml");
    text.replace(text.find("KAWPDFT=\"YES\""), 13, "KAWPDFT=\"NO\"");
    base.write("OutputDrivers/KIP700m.xml", text);
    struct Case {
        const char* model;
        uint32_t colorMode;
        bool create32Bit;   // offered (colour modes from 3 on), and so stored as asked for
        bool extras;        // image enhancement and the tool's controls shown
    };
    const Case cases[] = {
        {"KIP 870 Color", 3, true, true}, {"KIP 870 Color", 2, false, true}, {"KIP 700m", 1, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.model << " mode " << c.colorMode);
        useModel(c.model, c.colorMode);
        block.fileType = 1;
        block.create32BitFile = 1;
        block.imageEnhancement = 3;
        const auto page = open();
        const auto* fileType = item<QComboBox>(*page, D::kFileType);
        EXPECT_EQ(fileType->currentText(), "TIFF");   // the only type offered
        EXPECT_FALSE(fileType->isEnabled());
        EXPECT_EQ(item<QCheckBox>(*page, D::kCreate32Bit)->isEnabled(), c.create32Bit);
        for (D::Control id :
             {D::kImageEnhancement, D::kImageEnhancementLabel, D::kWakeUp, D::kChoosePath, D::kToolPath})
            EXPECT_EQ(page->Item(id)->isVisible(), c.extras) << id;
        page->SaveControls();
        EXPECT_EQ(block.fileType, 0);
        EXPECT_EQ(block.create32BitFile, c.create32Bit ? 1 : 0);
        EXPECT_EQ(block.imageEnhancement, 3);   // a hidden enhancement is kept
    }
    EXPECT_TRUE(boxes.texts().empty());
}

TEST_F(OptionsDialog, CopiesStayANumberInRangeWhenTheFieldIsLeft) {
    struct Case {
        const char* typed;
        const char* shownBeforeLeaving;
        const char* selectedBeforeLeaving;
        const char* shownAfterLeaving;
        double value;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"5x", "5", "5", "5", 5, {kNotANumber}},           // the refused character puts the last value back, selected
        {"5000", "5000", "", "1000", 1000, {kOutOfRange}},  // the range is checked on leaving, not while typing
        {"0", "0", "", "1", 1, {kOutOfRange}},
        {"", "", "", "1", 1, {kNotANumber}},
        {"-", "-", "", "-", 1, {}},                         // incomplete: kept, valued at the minimum
        {"1 2", "12", "", "12", 12, {}},                    // blanks are not inserted
        {"+7", "+7", "", "+7", 7, {}},
        {"1,5", "5", "", "5", 5, {kNotANumber}},            // no locale: "," is refused, "5" replaces the selected "1"
    };
    const auto page = open();
    auto* copies = item<CNumEdit>(*page, D::kCopies);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        MessageBoxCapture capture;
        copies->setFocus();
        copies->selectAll();
        QTest::keyClick(copies, Qt::Key_Backspace);
        QTest::keyClicks(copies, QString::fromLatin1(c.typed));
        EXPECT_EQ(copies->text().toStdString(), c.shownBeforeLeaving);
        EXPECT_EQ(copies->selectedText().toStdString(), c.selectedBeforeLeaving);
        page->Item(D::kInvert)->setFocus();
        EXPECT_EQ(copies->text().toStdString(), c.shownAfterLeaving);
        EXPECT_EQ(copies->GetValue(), c.value);
        EXPECT_EQ(capture.texts(), c.messages);
    }
    // Text that was not typed (pasted) is read alike: blanks around a number are allowed, "nan" is no number.
    EXPECT_EQ(copies->IsValidText(" 12  "), CNumEdit::kValid);
    EXPECT_EQ(copies->IsValidText("nan"), CNumEdit::kNotANumber);
}

TEST_F(OptionsDialog, CopiesSpinSitsAtTheFieldsRightEdgeAndStepsStopAtTheLimits) {
    const auto page = open();
    auto* copies = item<QLineEdit>(*page, D::kCopies);
    const QWidget* spin = page->Item(D::kCopiesSpin);
    // The buttons sit flush against the field's right edge, as high as the field.
    EXPECT_EQ(spin->geometry().topLeft(), copies->geometry().topRight() + QPoint(1, 0));
    EXPECT_EQ(spin->height(), copies->height());
    struct Case {
        const char* start;
        const char* button;   // "up", "down", or a key in the field
        Qt::Key key;
        const char* shown;
    };
    const Case cases[] = {
        {"1", "down", Qt::Key_unknown, "1"}, {"1000", "up", Qt::Key_unknown, "1000"}, {"5", "up", Qt::Key_unknown, "6"},
        {"5", nullptr, Qt::Key_Up, "6"},     {"5", nullptr, Qt::Key_Down, "4"},
        {"x", "up", Qt::Key_unknown, "2"},   // from a text that is no value, the step starts at the minimum
    };
    for (const Case& c : cases) {
        copies->setText(c.start);
        if (c.button) QTest::mouseClick(spin->findChild<QToolButton*>(c.button), Qt::LeftButton);
        else QTest::keyClick(copies, c.key);
        EXPECT_EQ(copies->text().toStdString(), c.shown) << c.start << " " << (c.button ? c.button : "key");
    }
}

TEST_F(OptionsDialog, AddressFieldMovesOnCapsEachNumberAndCrossesBetweenThem) {
    struct Case {
        const char* typed;
        uint8_t expected[4];
        int filled;
    };
    const Case cases[] = {
        {"10.0.0.7", {10, 0, 0, 7}, 4},
        {"192168001002", {192, 168, 1, 2}, 4},   // three digits move on by themselves
        {"300.1", {255, 1, 0, 0}, 2},
        {"1..2", {1, 2, 0, 0}, 2},               // a "." in an empty field stays there
    };
    const auto page = open();
    auto* address = item<CIPAddressCtrl>(*page, D::kAddress);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        for (int i = 0; i < CIPAddressCtrl::kFields; ++i) address->Field(i)->clear();
        address->Field(0)->setFocus();
        // Each key goes where the focus is, as the keyboard's would.
        for (const char* p = c.typed; *p; ++p) QTest::keyClick(QApplication::focusWidget(), *p);
        uint8_t got[4] = {};
        EXPECT_EQ(address->GetAddress(got[0], got[1], got[2], got[3]), c.filled);
        EXPECT_EQ(std::vector<uint8_t>(got, got + 4), std::vector<uint8_t>(c.expected, c.expected + 4));
    }

    address->SetAddress(1, 2, 3, 4);
    address->Field(1)->setFocus();
    address->Field(1)->setCursorPosition(0);
    QTest::keyClick(address->Field(1), Qt::Key_Left);
    EXPECT_EQ(QApplication::focusWidget(), address->Field(0));
    QTest::keyClick(address->Field(0), Qt::Key_Right);
    EXPECT_EQ(QApplication::focusWidget(), address->Field(1));
    address->Field(1)->setCursorPosition(0);
    QTest::keyClick(address->Field(1), Qt::Key_Backspace);
    EXPECT_EQ(QApplication::focusWidget(), address->Field(0));
    EXPECT_EQ(address->Field(1)->text(), "2");
}

TEST_F(OptionsDialog, UseFtpPortEnablesTheConnectionAndWritesTheSettingsOnlyWhenOn) {
    base.write("Temp/KIPFTPSettings.xml", "<kept/>");
    const auto page = open();
    const D::Control switched[] = {D::kAddressLabel, D::kPort, D::kUserLabel, D::kUser, D::kPasswordLabel,
                                   D::kPassword, D::kReadMedia, D::kRemoveAfterTransfer};
    for (D::Control id : switched) EXPECT_FALSE(page->Item(id)->isEnabled()) << id;
    EXPECT_TRUE(page->Item(D::kAddress)->isEnabled());
    EXPECT_TRUE(page->Item(D::kPortLabel)->isEnabled());
    page->SaveControls();
    EXPECT_EQ(readFile(ftpSettings()), "<kept/>");

    click(page->Item(D::kUseFtp));
    for (D::Control id : switched) EXPECT_TRUE(page->Item(id)->isEnabled()) << id;
    item<CIPAddressCtrl>(*page, D::kAddress)->SetAddress(10, 0, 0, 7);
    item<QLineEdit>(*page, D::kPort)->setText("2121");
    item<QLineEdit>(*page, D::kUser)->setText("kip");
    item<QLineEdit>(*page, D::kPassword)->setText("p\"w<");
    page->SaveControls();
    EXPECT_EQ(block.useFtpPort, 1);
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file(ftpSettings().c_str()));
    const pugi::xml_node root = doc.document_element();
    EXPECT_STREQ(root.name(), "RootElement");
    std::string attributes;   // in the order of the file
    for (const pugi::xml_attribute a : root.attributes()) attributes += std::string(a.name()) + "=" + a.value() + " ";
    EXPECT_EQ(attributes, "IP1=10 IP2=0 IP3=0 IP4=7 Port=2121 User=kip Password=p\"w< ");

    click(page->Item(D::kUseFtp));
    for (D::Control id : switched) EXPECT_FALSE(page->Item(id)->isEnabled()) << id;
}

TEST_F(OptionsDialog, ShowsTheStoredFtpSettingsOrTheirDefaults) {
    const std::pair<const char*, const char*> cases[] = {   // the file (null: none), then address|port|user|password
        {nullptr, "127.0.0.1|21|anonymous|"},
        {"<RootElement IP1=\"\" IP2=\"9\" IP3=\"9\" IP4=\"9\" Port=\"2121\" User=\"u\" Password=\"p&amp;w\"/>",
         "127.0.0.1|2121|u|p&w"},
        {"<Other IP1=\"10\" IP2=\"0\" IP3=\"0\" IP4=\"263\" Port=\"\" User=\"\"/>", "10.0.0.7|21|anonymous|"},
        {"<RootElement IP1=", "...|||"},   // unreadable: the controls keep what they had
    };
    for (const auto& [file, shown] : cases) {
        fs::remove(ftpSettings());
        if (file) base.write("Temp/KIPFTPSettings.xml", file);
        const auto page = open();
        QStringList numbers;
        for (QLineEdit* field : page->Item(D::kAddress)->findChildren<QLineEdit*>()) numbers << field->text();
        QString texts = numbers.join('.');
        for (D::Control id : {D::kPort, D::kUser, D::kPassword}) texts += "|" + item<QLineEdit>(*page, id)->text();
        EXPECT_EQ(texts.toStdString(), shown) << (file ? file : "no file");
    }
}

TEST_F(OptionsDialog, ChoosingTheToolEnablesWakeUpWhichCallsItWithTheAddressShown) {
    // A tool that logs its arguments (and, writing no address, gets no wake-up call).
    const fs::path tool = base.write("kip tools/kawpdft", "#!/bin/sh\necho \"$*\" >> calls.log\n");   // run in its folder
    fs::permissions(tool, fs::perms::owner_all);
    const auto page = open();
    // The user cancels the file dialog (no path stored: wake-up stays off), then picks the tool.
    for (const bool choose : {false, true}) {
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog) return ADD_FAILURE() << "no file dialog";
            if (!choose) return dialog->reject();
            dialog->selectFile(QString::fromStdString(tool.string()));
            static_cast<QDialog*>(dialog)->accept();   // QFileDialog takes the selection in its accept()
        });
        QTest::mouseClick(item<QPushButton>(*page, D::kChoosePath), Qt::LeftButton);
        EXPECT_EQ(fs::exists(base.temp() / "KIP_kawpdft.xml"), choose);
        EXPECT_EQ(page->Item(D::kWakeUp)->isEnabled(), choose);
        EXPECT_EQ(item<QLabel>(*page, D::kToolPath)->text().toStdString(), choose ? tool.string() : "");
    }
    // The next page shows the stored path, and its wake-up uses the address in the field, not the saved one.
    const auto next = open();
    EXPECT_EQ(item<QLabel>(*next, D::kToolPath)->text().toStdString(), tool.string());
    item<CIPAddressCtrl>(*next, D::kAddress)->SetAddress(10, 0, 0, 7);
    QTest::mouseClick(item<QPushButton>(*next, D::kWakeUp), Qt::LeftButton);
    EXPECT_EQ(readFile(tool.parent_path() / "calls.log"),
              "-M -i 10.0.0.7 \x96u " + (base.temp() / "MACaddress.log").string() + "\n");
}

// The edits that closing the dialog keeps or drops.
TEST_F(OptionsDialog, CancelAfterRestoringDefaultsKeepsTheBlockAndReturnStoresTheEdits) {
    block.copies = 5;
    block.invertOutput = 1;
    const DriverOptions before = block;
    EXPECT_EQ(edit(3, [](QDialog& dialog) {
                  click(dialog.findChild<QPushButton*>("restoreDefaults"));
                  click(dialog.findChild<QPushButton*>("cancel"));
              }),
              1);
    EXPECT_EQ(std::memcmp(&block, &before, sizeof block), 0);

    EXPECT_EQ(edit(3, [](QDialog& dialog) {
                  EXPECT_EQ(dialog.windowTitle(), "Driver Options");
                  auto* copies = dialog.findChild<QLineEdit*>("copies");
                  copies->setFocus();
                  copies->selectAll();
                  QTest::keyClicks(copies, "7");
                  click(dialog.findChild<QCheckBox*>("bypassTray"));
                  QTest::keyClick(copies, Qt::Key_Return);
              }),
              1);
    EXPECT_EQ(block.copies, 7);
    EXPECT_EQ(block.bypassTray, 1);
}

TEST_F(OptionsDialog, ModuleHandsOutAPageThatEditsTheHostsBlockAndShowsRealBoxes) {
    const LoadedModule module;
    ASSERT_TRUE(module.loaded());
    ADriverPage* page = module.createPage(&block, &setup);
    ASSERT_NE(page, nullptr);
    auto* window = static_cast<QWidget*>(page->GetWindow());
    EXPECT_FALSE(window->findChild<QPushButton*>("ok")->isVisibleTo(window));   // the host has its own OK
    window->findChild<QCheckBox*>("invert")->setChecked(true);
    window->findChild<QLineEdit*>("copies")->setText("1000");
    EXPECT_TRUE(page->OnKillActive());
    EXPECT_EQ(block.invertOutput, 1);
    EXPECT_EQ(block.copies, 127);   // more than the block's signed byte holds
    block.invertOutput = 0;
    EXPECT_TRUE(page->OnSetActive());
    EXPECT_FALSE(window->findChild<QCheckBox*>("invert")->isChecked());
    delete page;

    // The module's own boxes are real ones too while the host runs Qt: the module loads its dialog
    // library to show them.
    QStringList shown;
    QTimer closer;   // answers every box that opens
    closer.callOnTimeout([&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown << box->text();
            box->button(QMessageBox::Ok)->click();
        }
    });
    closer.start(10);
    ABasePrinterDriver* moduleDriver = module.createDriver();
    useModel("No such printer", 0);
    char name[256] = "";
    int flag = 0;
    moduleDriver->getColorModeName(0, &flag, name, &setup);
    EXPECT_EQ(shown.value(0), "Cannot get XML ");
    delete moduleDriver;
}

TEST(DialogMessages, AreRealBoxesWhileQtRunsAndAnswerTheButtonPressed) {
    const std::tuple<unsigned, QMessageBox::StandardButton, int> cases[] = {   // box type, button pressed, answer
        {0x10, QMessageBox::Ok, kIdOk}, {0x04, QMessageBox::No, kIdNo}, {0x01, QMessageBox::Cancel, kIdCancel}};
    DialogLayer::Install();
    for (const auto& [type, press, answer] : cases) {
        QString shown, title;
        QTimer::singleShot(0, [&, button = press] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return ADD_FAILURE() << "no message box";
            shown = box->text();
            title = box->windowTitle();
            box->button(button)->click();
        });
        EXPECT_EQ(PlatformMessageBox("Cannot get XML ", nullptr, type), answer);
        EXPECT_EQ(shown, "Cannot get XML ");
        EXPECT_EQ(title, "Error");
    }
    DialogLayer::Uninstall();
}
