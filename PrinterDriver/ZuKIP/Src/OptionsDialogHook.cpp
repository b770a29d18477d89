#include "OptionsDialogHook.h"

#include "Platform/PlatformMessageBox.h"

namespace {
OptionsDialogHook::Presenter g_presenter = nullptr;
}  // namespace

int OptionsDialogHook::DoModal(DriverOptions* block, PrinterSetup* setup, void* parentWindow) {
    if (!g_presenter) return kIdCancel;
    return g_presenter(block, setup, parentWindow);
}

void OptionsDialogHook::SetPresenter(Presenter presenter) { g_presenter = presenter; }
