#pragma once
// What the dialog library ("ZuKIPDialog.so", the Qt layer built on its own)
// hands the module that loads it: the functions behind createDriverPage,
// editOptions' modal dialog and real message boxes. The library exports one
// C function, named by kFactory, that answers this table for the version of
// it the module was built with, so a library of another build is refused
// rather than called through a table of another shape.
#include "ABasePrinterDriver.h"
#include "OptionsDialogHook.h"
#include "Platform/PlatformMessageBox.h"

struct DialogFunctions {
    static constexpr int kVersion = 1;
    static constexpr const char* kFactory = "zukipDialogFunctions";
    // The factory: the library's table when version is the one it was built with, else null.
    using Factory = const DialogFunctions* (*)(int version);

    // The options page over block and setup; null when no window can be made.
    ADriverPage* (*createPage)(DriverOptions* block, PrinterSetup* setup);
    OptionsDialogHook::Presenter presentOptions;
    MessageBoxPresenter presentMessage;
};
