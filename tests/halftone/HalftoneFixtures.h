#pragma once
// Builders for small halftone parameter files used by the halftone tests.
#include "PrinterSetup.h"
#include "ZuDrvUtl.h"

#include <string>

// A parameter file whose "PrinterHardware" holds `models`.
inline std::string paramsFile(const std::string& models) {
    return "<Params><PrinterHardware>" + models + "</PrinterHardware></Params>";
}

// One model with a single branch of "Default" levels around `colorModeBody`.
inline std::string defaultBranch(const std::string& modelId, const std::string& colorModeBody) {
    return "<Model ID=\"" + modelId + "\"><Media ID=\"Default\"><PrintMode ID=\"Default\"><Resolution ID=\"Default\">"
           "<ColorMode ID=\"Default\">" + colorModeBody + "</ColorMode></Resolution></PrintMode></Media></Model>";
}

inline PrinterSetup makeSetup(const char* model, const char* manufacturer = "KIP") {
    PrinterSetup setup;
    ZuCopyField(setup.modelName, sizeof setup.modelName, model);
    ZuCopyField(setup.manufacturerName, sizeof setup.manufacturerName, manufacturer);
    return setup;
}
