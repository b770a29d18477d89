#pragma once
// The "Driver Options" page: output file type, 32-bit output, inversion,
// copies, image enhancement, bypass tray, FTP delivery settings and the KIP
// printer utilities. A host embeds it in its own settings window
// (createDriverPage); CDriverOptionDialogGX runs it as a modal dialog. It
// edits the caller's options block in place and keeps the FTP settings in
// "Temp/KIPFTPSettings.xml" under the host's base folder.
#include "ABasePrinterDriver.h"
#include "AString.h"
#include "DriverOptions.h"
#include "KIPModelSettings.h"
#include "PrinterSetup.h"
#include "QtApplicationScope.h"

#include <QWidget>

class CIPAddressCtrl;
class CNumEdit;
class CNumSpinCtrl;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Holds a Qt application for the page; a base class of the page so that it
// exists before the page's own widget is made.
struct QtApplicationHold {
    QtApplicationScope application;
};

class CDriverOptionDialog : private QtApplicationHold, public QWidget, public ADriverPage {
public:
    // The template's controls, in tab order.
    enum Control {
        kFileTypeLabel, kFileType, kCreate32Bit, kInvert, kOk, kCancel, kRestoreDefaults, kCopiesLabel, kCopies,
        kCopiesSpin, kFtpGroup, kUseFtp, kAddress, kAddressLabel, kPortLabel, kPort, kUserLabel, kPasswordLabel,
        kUser, kPassword, kReadMedia, kRemoveAfterTransfer, kImageEnhancement, kImageEnhancementLabel, kChoosePath,
        kToolPath, kWakeUp, kBypassTray, kControlCount
    };

    // The page over block and setup, which it borrows (both must outlive it). Loads the model
    // settings of the setup's printer (their messages may appear here), then fills the controls.
    CDriverOptionDialog(QWidget* parent, DriverOptions* block, PrinterSetup* setup);
    ~CDriverOptionDialog() override;

    // Block and settings files to the controls.
    void LoadControls();
    // Controls to the block; with "Use FTP port" on, also the FTP settings file.
    void SaveControls();
    // Enables the FTP controls by the "Use FTP port" flag and "Wake up printer" by the tool path.
    void UpdateFtpControls();

    // The control of the template.
    QWidget* Item(Control id) const { return controls[id]; }

    // ADriverPage: the property sheet's notifications.
    void* GetWindow() override { return static_cast<QWidget*>(this); }
    bool OnSetActive() override;
    bool OnKillActive() override;
    void OnOK() override;

private:
    void createControls();
    void OnInitDialog();
    // Moves the member values into the controls (save false) or the controls' values into the members.
    void UpdateData(bool save);
    void loadFtpSettings();
    void saveFtpSettings();
    void enableFtpControls(bool on);

    void OnFileTypeChanged();
    void OnRestoreDefaults();
    void OnUseFtp();
    // The printer utilities (KIPPrinterUtilities) behind the three buttons.
    void OnReadMedia();
    void OnWakeUp();
    // Lets the user pick the kawpdft tool; a choice is saved and enables "Wake up printer".
    void OnChoosePath();

    template <typename T>
    T* item(Control id) const { return static_cast<T*>(controls[id]); }

    QWidget* controls[kControlCount] = {};

    int fileTypeIndex = -1;
    int create32Bit = 0;
    int invert = 0;
    int removeAfterTransfer = 0;
    int bypassTray = 0;
    CNumSpinCtrl* copiesSpin = nullptr;
    CNumEdit* copiesEdit = nullptr;
    CIPAddressCtrl* address = nullptr;
    QLineEdit* portEdit = nullptr;
    QLineEdit* userEdit = nullptr;
    QLineEdit* passwordEdit = nullptr;
    int useFtp = 0;
    QComboBox* imageEnhancementList = nullptr;
    int imageEnhancementIndex = 0;
    AString toolPath;
    DriverOptions* options;
    PrinterSetup* printerSetup;
    // The model settings alone rather than a whole engine: only the model's ImageEnhancemen and
    // KAWPDFT flags are used.
    KIPModelSettings modelSettings;
};
