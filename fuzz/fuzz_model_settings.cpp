// Fuzzes the KIP model settings: the input is the description file of model
// "KIP 700m", whose "Model" element is read into the settings. A settings object
// lives across two loads, as the engine keeps one across jobs.
#include "FuzzSupport.h"
#include "KIPModelSettings.h"
#include "PlatformMessageBox.h"
#include "PrinterSetup.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WriteFuzzDescription(data, size);
    MessageBoxCapture boxes;
    PrinterSetup setup;
    std::strcpy(setup.modelName, kFuzzModel);
    KIPModelSettings settings;
    const int first = settings.LoadModelSettings(&setup);
    if (settings.LoadModelSettings(&setup) != first) FuzzFail("second load of the same file answered differently");
    if (first && !boxes.texts().empty()) FuzzFail("settings read after a message box");
    return 0;
}
