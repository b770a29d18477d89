#pragma once
// The KIP printer driver the host obtains from createNewPrinterDriver: the
// forwarding driver over the KIP engine, plus the options dialog.
#include "ABasePrinterDriverImp.h"

class CDriver : public ABasePrinterDriverImp {
public:
    // A driver over the module's own engine.
    CDriver();
    // A driver over the given engine, which it takes over (null: no engine).
    explicit CDriver(ABaseRTL* ownedEngine);

    float getDriverNumber() override;
    // Mode 1: defaults, then the dialog; 2: defaults only; 3: the dialog on the block as it
    // is; other modes 0. A cancelled dialog leaves the block as it was before the dialog.
    // Resolves the setup's special media id in place. 1 after the dialog, 0 if it failed.
    int editOptions(DriverOptions* block, int mode, PrinterSetup* setup, void* parentWindow) override;

private:
    // Creates the engine this driver forwards to.
    static ABaseRTL* createEngine();
    // Runs the dialog on block; a dialog not ended with OK restores the block.
    static void runDialog(DriverOptions* block, PrinterSetup* setup, void* parentWindow);
};
