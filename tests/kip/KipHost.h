#pragma once
// A host as the KIP tests need it: the module loaded with dlopen, drivers
// from its export, and a job run the way a host runs one (openJob,
// setOutputName, processJobStep until the port code says the job ended);
// the fixture of the tests that go through the module.
#include "ABasePrinterDriver.h"
#include "KipTestJob.h"
#include "LoadedModule.h"
#include "TempBaseFolder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

class KipHost {
public:
    struct DriverDeleter {
        void operator()(ABasePrinterDriver* driver) const { delete driver; }
    };
    using Driver = std::unique_ptr<ABasePrinterDriver, DriverDeleter>;

    // A driver from the module's export (null when the module did not load).
    Driver newDriver() const;

    // The outcome of one job run.
    struct Run {
        int opened = 0;
        int steps = 0;
        int failedSteps = 0;
        bool ended = false;   // the port code became -1
    };
    // Runs job on driver with the output folder and document name given to setOutputName.
    static Run run(ABasePrinterDriver& driver, KipTestJob& job, const std::string& outputFolder,
                   const std::string& documentName);

private:
    LoadedModule module_;
};

// A job that opened and ended without a failed step.
void expectWhole(const KipHost::Run& run);

// Tests through the module: the sample base folder, the module, and "out" in
// the base folder for the jobs' output.
class KipModuleTest : public ::testing::Test {
protected:
    void SetUp() override { base.copySamples(); }

    // Runs job on driver into folder (output when empty) for the document name given.
    KipHost::Run run(ABasePrinterDriver& driver, KipTestJob& job, const std::string& document = "plan.pdf",
                     const fs::path& folder = {}) const;
    // The same on a new driver.
    KipHost::Run run(KipTestJob& job, const std::string& document = "plan.pdf", const fs::path& folder = {}) const;
    // The host log of the base folder.
    std::string log() const { return readFile(base.temp() / "ZuKIP.log"); }

    TempBaseFolder base;
    KipHost host;
    const fs::path output = base.path() / "out";
};
