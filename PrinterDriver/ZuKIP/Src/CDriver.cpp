#include "CDriver.h"

#include "OptionsDialogHook.h"
#include "RTL.h"
#include "Platform/ModuleStateGuard.h"
#include "Platform/PlatformMessageBox.h"

#include <cstring>

namespace {
constexpr float kDriverNumber = 8.0f;

enum EditMode { kDefaultsThenDialog = 1, kDefaultsOnly = 2, kDialogOnly = 3 };
}  // namespace

CDriver::CDriver() : ABasePrinterDriverImp(createEngine()) {}

CDriver::CDriver(ABaseRTL* ownedEngine) : ABasePrinterDriverImp(ownedEngine) {}

ABaseRTL* CDriver::createEngine() { return new RTL(); }

float CDriver::getDriverNumber() { return kDriverNumber; }

int CDriver::editOptions(DriverOptions* block, int mode, PrinterSetup* setup, void* parentWindow) {
    [[maybe_unused]] ModuleStateGuard moduleState;
    try {
        // Unlike the queries, this operation writes the resolved id back to the host's record.
        if (setup) setup->mediaId = resolvedMediaId(setup->mediaId, setup);
        if (engine) engine->SetPrinterSetup(setup);
        if (!block) return 0;
        switch (mode) {
        case kDefaultsThenDialog: setDefaultOptions(block); break;
        case kDefaultsOnly: setDefaultOptions(block); return 1;
        case kDialogOnly: break;
        default: return 0;
        }
        ValidateOptionsBlock(block);
        runDialog(block, setup, parentWindow);
        return 1;
    } catch (...) {
        return 0;
    }
}

void CDriver::runDialog(DriverOptions* block, PrinterSetup* setup, void* parentWindow) {
    DriverOptions saved;
    std::memcpy(&saved, block, sizeof saved);
    if (OptionsDialogHook::DoModal(block, setup, parentWindow) != kIdOk) std::memcpy(block, &saved, sizeof saved);
}
