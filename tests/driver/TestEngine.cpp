#include "TestEngine.h"

#include "DriverError.h"

#include <stdexcept>

int TestEngine::StartJob(DriverJob*, int, OutputPort*, DriverOptions* options) {
    startedOptions = options;
    return 1;
}

int TestEngine::AbortJob() {
    ++abortCalls;
    if (throwInAbort) throw std::runtime_error("abort failed");
    return 1;
}

int TestEngine::ProcessJobStep() {
    if (throwInStep) throw DriverError{-5};
    return stepResult;
}

int TestEngine::GetDeviceResolution(int* x, int* y) {
    *x = *y = 600;
    return 1;
}

int TestEngine::GetColorModeName(int, int*, char*, PrinterSetup* given) {
    receivedMediaId = given->mediaId;
    return 1;
}

int TestEngine::GetDefaultColorMode(char*, PrinterSetup* given) {
    receivedMediaId = given->mediaId;
    return 0;
}

int TestEngine::GetMediaList(const PrinterSetup*, MediaList* list, int* defaultMedia) {
    for (int32_t id : mediaIds) {
        MediaEntry entry{};
        entry.id = id;
        list->push_back(entry);
    }
    *defaultMedia = 0;
    return 1;
}

int TestEngine::CheckMedia(const PrinterSetup*, MediaEntry* media, intptr_t, int, int*) {
    receivedMediaId = media->id;
    return 1;
}

int TestEngine::SetPrinterSetup(const PrinterSetup* given) {
    ++setupCalls;
    return ABaseRTL::SetPrinterSetup(given);
}
