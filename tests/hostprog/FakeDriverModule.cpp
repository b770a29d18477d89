// A stand-in driver module for the host program's tests: it exports
// createNewPrinterDriver like the real module and runs a tiny job, so that
// print's loop, progress, failure and abort are tested on their own.
// Environment: ZUKIP_FAKE_MODE = "fail" (step 2 fails with a status text),
// "interrupt" (step 1 sends the process SIGINT, as a user's Ctrl-C would) or
// "refuse" (the output folder is refused, as is one that exists already).
#include "ABasePrinterDriver.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>

namespace {

class FakeDriver : public ABasePrinterDriver {
public:
    int openJob(JobRequest* request, OutputPort*) override {
        request_ = request;
        return 1;
    }

    int setOutputName(const char* folder, intptr_t document) override {
        folder_ = std::string(folder) + "/" + reinterpret_cast<const char*>(document) + "_1";
        if (request_->portCode != 256 || mode() == "refuse" || mkdir(folder_.c_str(), 0755) != 0)
            request_->portCode = -1;
        return 1;
    }

    int processJobStep() override {
        ++step_;
        if (mode() == "interrupt" && step_ == 1) std::raise(SIGINT);
        if (mode() == "fail" && step_ == 2) {
            std::strcpy(request_->statusText, "Write Data Error");
            return 0;
        }
        std::snprintf(request_->statusText, sizeof request_->statusText, "Cyan  %3d%% %3d%%", step_ * 20, step_ * 20);
        request_->statusKind = 1;
        if (step_ == 5) request_->portCode = -1;
        return 1;
    }

    int abortJob() override {
        std::FILE* marker = std::fopen((folder_ + "/aborted").c_str(), "w");
        if (marker) std::fclose(marker);
        request_->portCode = -1;
        return 1;
    }

    int getColorModeName(int, int*, char*, const PrinterSetup*) override { return 0; }
    int findColorMode(const char*) override { return -1; }
    int getColorantList(int, ColorantList*) override { return 0; }

private:
    static std::string mode() {
        const char* value = std::getenv("ZUKIP_FAKE_MODE");
        return value ? value : "";
    }

    JobRequest* request_ = nullptr;
    std::string folder_;
    int step_ = 0;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) ABasePrinterDriver* createNewPrinterDriver() { return new FakeDriver; }
