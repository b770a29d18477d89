#include "DialogLayer.h"

#include "CDriverOptionDialogGX.h"
#include "OptionsDialogHook.h"
#include "Platform/PlatformMessageBox.h"
#include "QtApplicationScope.h"
#include "RVLog.h"

#include <QApplication>
#include <QMessageBox>
#include <QPixmap>
#include <QWindow>

#include <cstdio>
#include <cstdlib>

namespace {
// Message box type flags of the platform.
constexpr unsigned kButtonsMask = 0x0F;
constexpr unsigned kOkCancel = 0x01;
constexpr unsigned kYesNo = 0x04;
constexpr unsigned kIconMask = 0xF0;
constexpr unsigned kIconStop = 0x10;
constexpr unsigned kIconQuestion = 0x20;
constexpr unsigned kIconWarning = 0x30;
constexpr unsigned kIconInformation = 0x40;

QMessageBox::Icon icon(unsigned type) {
    switch (type & kIconMask) {
    case kIconStop: return QMessageBox::Critical;
    case kIconQuestion: return QMessageBox::Question;
    case kIconWarning: return QMessageBox::Warning;
    case kIconInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

QMessageBox::StandardButtons buttons(unsigned type) {
    switch (type & kButtonsMask) {
    case kOkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case kYesNo: return QMessageBox::Yes | QMessageBox::No;
    default: return QMessageBox::Ok;
    }
}

int answer(int button) {
    switch (button) {
    case QMessageBox::Cancel: return kIdCancel;
    case QMessageBox::Yes: return kIdYes;
    case QMessageBox::No: return kIdNo;
    default: return kIdOk;
    }
}

// Makes the host's window (a native window id, as the host hands it over) the dialog's owner.
void ownBy(QDialog& dialog, void* parentWindow) {
    if (!parentWindow) return;
    dialog.winId();   // creates the dialog's native window
    if (QWindow* parent = QWindow::fromWinId(reinterpret_cast<WId>(parentWindow)))
        dialog.windowHandle()->setTransientParent(parent);
}

// While the dialog is only rendered nobody can answer a box: they are reported headless.
bool g_rendering = false;

int screenshot(CDriverOptionDialogGX& dialog, const char* file) {
    dialog.show();
    QCoreApplication::processEvents();
    if (!dialog.grab().save(QString::fromLocal8Bit(file), "PNG")) {
        std::fprintf(stderr, "ZuKIP: cannot write the dialog picture %s\n", file);
        RV_LOG("PrinterDriver\\ZuKIP\\Src\\CDriverOptionDialog")("Cannot write the dialog picture %s", file);
    }
    return kIdCancel;
}
}  // namespace

void DialogLayer::Install() {
    OptionsDialogHook::SetPresenter(PresentOptions);
    SetMessageBoxPresenter(PresentMessage);
}

void DialogLayer::Uninstall() {
    OptionsDialogHook::SetPresenter(nullptr);
    SetMessageBoxPresenter(nullptr);
}

ADriverPage* DialogLayer::CreatePage(DriverOptions* block, PrinterSetup* setup) {
    if (!block || !QtApplicationScope::CanShowWindows()) return nullptr;
    return new CDriverOptionDialog(nullptr, block, setup);
}

int DialogLayer::PresentOptions(DriverOptions* block, PrinterSetup* setup, void* parentWindow) {
    const QtApplicationScope application;
    if (!QtApplicationScope::Ready()) return kIdCancel;
    const char* picture = std::getenv("ZUKIP_DIALOG_SCREENSHOT");
    g_rendering = picture && *picture;
    struct RenderingEnds {
        ~RenderingEnds() { g_rendering = false; }
    } renderingEnds;
    CDriverOptionDialogGX dialog(nullptr, block, setup);
    ownBy(dialog, parentWindow);
    if (g_rendering) return screenshot(dialog, picture);
    return dialog.exec() == QDialog::Accepted ? kIdOk : kIdCancel;
}

int DialogLayer::PresentMessage(const char* text, const char* caption, unsigned type) {
    if (g_rendering || !QtApplicationScope::Ready()) return kNotShown;
    // The platform's box without a caption is titled "Error".
    QMessageBox box(icon(type), QString::fromLocal8Bit(caption ? caption : "Error"),
                    QString::fromLocal8Bit(text ? text : ""), buttons(type), QApplication::activeWindow());
    return answer(box.exec());
}
