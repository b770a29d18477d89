#pragma once
// Where editOptions meets the "Driver Options" dialog. The dialog belongs to
// the Qt layer (PrinterDriver/ZuKIP/Dialog), which the core must not depend
// on; the module installs the layer's presenter when it is loaded. Without
// one (a headless host, a unit test of the core) the dialog counts as
// cancelled at once and the options block is not touched.
#include "DriverOptions.h"
#include "PrinterSetup.h"

class OptionsDialogHook {
public:
    // Shows the modal dialog over block and setup and writes the user's choices into block;
    // returns kIdOk or kIdCancel.
    using Presenter = int (*)(DriverOptions* block, PrinterSetup* setup, void* parentWindow);

    // Runs the dialog modally; kIdCancel (block untouched) when no presenter is installed.
    static int DoModal(DriverOptions* block, PrinterSetup* setup, void* parentWindow);

    // Installs the presenter of the GUI layer; null restores headless mode.
    static void SetPresenter(Presenter presenter);
};
