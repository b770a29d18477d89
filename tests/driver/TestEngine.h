#pragma once
// An engine for driver tests: scripted answers, and a record of what the
// driver handed over.
#include "ABaseRTL.h"

#include <functional>
#include <vector>

class TestEngine : public ABaseRTL {
public:
    // Ids of the media list GetMediaList answers.
    std::vector<int32_t> mediaIds;
    int stepResult = 1;
    bool throwInStep = false;
    bool throwInAbort = false;
    int outputNameResult = 1;
    int abortCalls = 0;
    int setupCalls = 0;
    // Media id of the last setup or entry the engine received.
    int32_t receivedMediaId = 0;
    DriverOptions* startedOptions = nullptr;

    int StartJob(DriverJob* job, int, OutputPort*, DriverOptions* options) override;
    int AbortJob() override;
    int ProcessJobStep() override;
    int GetDeviceResolution(int* x, int* y) override;
    int GetEngineCode() override { return 12; }
    int GetColorModeName(int index, int* flag, char* name, PrinterSetup*) override;
    int GetColorantList(int, ColorantList*) override { return 1; }
    int FindColorMode(const char*) override { return 2; }
    int GetDefaultColorMode(char*, PrinterSetup*) override;
    int GetMediaList(const PrinterSetup* setup, MediaList* list, int* defaultMedia) override;
    int CheckMedia(const PrinterSetup*, MediaEntry* media, intptr_t, int, int*) override;
    int SetOutputName(const char*, intptr_t) override { return outputNameResult; }
    int SetPrinterSetup(const PrinterSetup*) override;
};

// An output port that accepts every write.
class NullPort : public OutputPort {
public:
    int32_t write(const void*, int32_t count, uint64_t) override { return count; }
};
