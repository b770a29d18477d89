#include "CDriverOptionDialogGX.h"

#include "Platform/PlatformMessageBox.h"

namespace {
CDriverOptionDialogGX::Presenter g_presenter = nullptr;
}  // namespace

CDriverOptionDialogGX::CDriverOptionDialogGX(void* parentWindow, DriverOptions* block, PrinterSetup* setup)
    : parent(parentWindow), options(block), printerSetup(setup) {}

int CDriverOptionDialogGX::DoModal() {
    if (!g_presenter) return kIdCancel;
    return g_presenter(options, printerSetup, parent);
}

void CDriverOptionDialogGX::SetPresenter(Presenter presenter) { g_presenter = presenter; }
