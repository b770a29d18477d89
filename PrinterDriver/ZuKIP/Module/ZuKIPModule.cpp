// The module's exported entry points.
#include "ABasePrinterDriver.h"

extern "C" __attribute__((visibility("default"))) ABasePrinterDriver* createNewPrinterDriver() { return nullptr; }

extern "C" __attribute__((visibility("default"))) ADriverPage* createDriverPage(DriverOptions*, PrinterSetup*) {
    return nullptr;
}
