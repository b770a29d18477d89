#pragma once
// The module's way to the "Driver Options" dialog. The dialog and Qt live in
// a library of their own, "ZuKIPDialog.so" beside the module, loaded only
// when a window is about to be shown, so that a host that never opens the
// dialog never loads Qt. Once loaded it stays (Qt cannot be unloaded and
// loaded again in one process). A missing or broken library is logged when
// loading fails and reported in a message box whenever a window is wanted;
// the dialog then does not open.
#include "ABasePrinterDriver.h"

class DialogLoader {
public:
    // Installs the dialog and message box presenters into the core.
    static void Install();
    // Restores the core's headless behaviour.
    static void Uninstall();
    // The options page for createDriverPage; null when no window can be made or the library
    // cannot be used (reported).
    static ADriverPage* CreatePage(DriverOptions* block, PrinterSetup* setup);

private:
    // editOptions' modal dialog; kIdCancel at once when no window can be made or the library
    // cannot be used (reported).
    static int PresentOptions(DriverOptions* block, PrinterSetup* setup, void* parentWindow);
    // A real box while a Qt application runs in the process; kNotShown (the core reports the
    // box headless) otherwise, and when the library cannot be used.
    static int PresentMessage(const char* text, const char* caption, unsigned type);
};
