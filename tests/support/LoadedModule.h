#pragma once
// The driver module as a host loads it: the module this build made (named by
// ZUKIP_MODULE), or a copy of it, opened with dlopen, its two exports, the host's output
// port for jobs that write files rather than port bytes, and the host's job loop.
#include "ABasePrinterDriver.h"

// An output port that accepts every write.
class NullPort : public OutputPort {
public:
    int32_t write(const void*, int32_t count, uint64_t) override { return count; }
};

class LoadedModule {
public:
    using CreateDriver = ABasePrinterDriver* (*)();
    using CreatePage = ADriverPage* (*)(DriverOptions*, PrinterSetup*);

    // Loads the module at path (by default the built one); fails the test (ADD_FAILURE) when it or
    // one of its exports is missing.
    explicit LoadedModule(const char* path = builtPath());
    ~LoadedModule();
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    // The module this build made; empty when ZUKIP_MODULE is not set.
    static const char* builtPath();
    // Whether the module loaded with both exports.
    bool loaded() const { return createDriver && createPage; }

    CreateDriver createDriver = nullptr;
    CreatePage createPage = nullptr;

private:
    void* handle_ = nullptr;
};

// Steps an open job as a host does, until the request's port code says it ended (-1) or a step fails;
// bounded, as a test's job ends in far fewer steps. The steps taken, negated when the last one failed.
int stepJob(ABasePrinterDriver& driver, const JobRequest& request);
