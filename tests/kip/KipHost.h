#pragma once
// A host as the KIP tests need it: a job run the way a host runs one
// (openJob, setOutputName, processJobStep until the port code says the job
// ended), and the fixture of the tests that load the module with dlopen.
#include "ABasePrinterDriver.h"
#include "KipTestJob.h"
#include "LoadedModule.h"
#include "TempBaseFolder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

// The outcome of one job run.
struct JobRun {
    int opened = 0;
    int steps = 0;
    int failedSteps = 0;
    bool ended = false;   // the port code became -1
};

// Runs job on driver with the output folder and document name given to setOutputName.
JobRun runJob(ABasePrinterDriver& driver, KipTestJob& job, const std::string& outputFolder,
              const std::string& documentName = "plan.pdf");
// A job that opened and ended without a failed step.
void expectWhole(const JobRun& run);

// Tests through the module: the sample base folder, the module, and "out" in
// the base folder for the jobs' output.
class KipModuleTest : public ::testing::Test {
protected:
    void SetUp() override { base.copySamples(); }

    // A driver from the module's export (null when the module did not load).
    std::unique_ptr<ABasePrinterDriver> newDriver() const;
    // Runs job on driver (a new one when null) into folder (output when empty) for the document name given.
    JobRun run(KipTestJob& job, const std::string& document = "plan.pdf", const fs::path& folder = {},
               ABasePrinterDriver* driver = nullptr) const;
    // The host log of the base folder.
    std::string log() const { return readFile(base.temp() / "ZuKIP.log"); }

    TempBaseFolder base;
    LoadedModule module;
    const fs::path output = base.path() / "out";
};
