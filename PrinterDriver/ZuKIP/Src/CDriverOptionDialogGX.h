#pragma once
// The modal form of the "Driver Options" dialog as editOptions runs it. The
// dialog itself belongs to a GUI layer, which installs a presenter; without
// one (a headless host, a test) the dialog is cancelled at once and the
// options block is not touched.
#include "DriverOptions.h"
#include "PrinterSetup.h"

class CDriverOptionDialogGX {
public:
    // Shows the dialog over block and setup and writes the user's choices into block;
    // returns kIdOk or kIdCancel.
    using Presenter = int (*)(DriverOptions* block, PrinterSetup* setup, void* parentWindow);

    CDriverOptionDialogGX(void* parentWindow, DriverOptions* block, PrinterSetup* setup);

    // Runs the dialog modally; kIdCancel (block untouched) when no presenter is installed.
    int DoModal();

    // Installs the presenter of the GUI layer; null restores headless mode.
    static void SetPresenter(Presenter presenter);

private:
    void* parent;
    DriverOptions* options;
    PrinterSetup* printerSetup;
};
