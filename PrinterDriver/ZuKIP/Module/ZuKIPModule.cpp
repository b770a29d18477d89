// The module's exported entry points. These two functions are the only
// symbols the module exports; everything else is hidden.
#include "ABasePrinterDriver.h"
#include "CDriver.h"
#include "CDriverDLL.h"
#include "DialogLoader.h"
#include "Platform/ModuleStateGuard.h"

#define ZUKIP_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
// Runs the module object's start-up when the module is loaded and its
// shut-down when it is unloaded; the dialog loader is plugged in meanwhile.
struct ModuleLifetime {
    ModuleLifetime() {
        CDriverDLL::Instance().InitInstance();
        DialogLoader::Install();
    }
    ~ModuleLifetime() {
        DialogLoader::Uninstall();
        CDriverDLL::Instance().ExitInstance();
    }
    ModuleLifetime(const ModuleLifetime&) = delete;
    ModuleLifetime& operator=(const ModuleLifetime&) = delete;
};
const ModuleLifetime g_moduleLifetime;
}  // namespace

ZUKIP_EXPORT ABasePrinterDriver* createNewPrinterDriver() {
    [[maybe_unused]] ModuleStateGuard moduleState;
    try {
        return new CDriver();
    } catch (...) {
        // A half-built driver has been released by its constructors; the host sees no driver.
        return nullptr;
    }
}

ZUKIP_EXPORT ADriverPage* createDriverPage(DriverOptions* options, PrinterSetup* setup) {
    [[maybe_unused]] ModuleStateGuard moduleState;
    return DialogLoader::CreatePage(options, setup);
}
