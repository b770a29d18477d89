#pragma once
// The Qt layer as the module plugs it into the core: the modal options
// dialog behind editOptions, the options page of createDriverPage and real
// message boxes while a Qt application runs.
#include "ABasePrinterDriver.h"

class DialogLayer {
public:
    // Installs the dialog and message box presenters into the core.
    static void Install();
    // Restores the core's headless behaviour.
    static void Uninstall();
    // The options page over block and setup; null when no window can be made (no Qt
    // application and no display).
    static ADriverPage* CreatePage(DriverOptions* block, PrinterSetup* setup);
    // Runs the modal dialog; kIdOk or kIdCancel. Cancel at once without a display. With
    // ZUKIP_DIALOG_SCREENSHOT set, renders the dialog as it opens into that PNG file and cancels.
    static int PresentOptions(DriverOptions* block, PrinterSetup* setup, void* parentWindow);
    // A modal QMessageBox while a Qt application runs; kNotShown (the core reports headless) otherwise.
    static int PresentMessage(const char* text, const char* caption, unsigned type);
};
