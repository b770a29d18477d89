#include "KipHost.h"

#include <cstdlib>

JobRun runJob(ABasePrinterDriver& driver, KipTestJob& job, const std::string& outputFolder,
              const std::string& documentName) {
    static NullPort port;
    JobRun run;
    run.opened = driver.openJob(&job.request, &port);
    if (run.opened) {
        driver.setOutputName(outputFolder.c_str(), reinterpret_cast<intptr_t>(documentName.c_str()));
        const int steps = stepJob(driver, job.request);
        run.steps = std::abs(steps);
        run.failedSteps = steps < 0 ? 1 : 0;
    }
    run.ended = job.request.portCode == -1;
    return run;
}

void expectWhole(const JobRun& run) {
    EXPECT_EQ(run.opened, 1);
    EXPECT_EQ(run.failedSteps, 0);
    EXPECT_TRUE(run.ended);
}

std::unique_ptr<ABasePrinterDriver> KipModuleTest::newDriver() const {
    return std::unique_ptr<ABasePrinterDriver>(module.createDriver ? module.createDriver() : nullptr);
}

JobRun KipModuleTest::run(KipTestJob& job, const std::string& document, const fs::path& folder,
                          ABasePrinterDriver* driver) const {
    const std::unique_ptr<ABasePrinterDriver> own = driver ? nullptr : newDriver();
    if (!driver && !own) {
        ADD_FAILURE() << "The module gave no driver";
        return {};
    }
    return runJob(driver ? *driver : *own, job, (folder.empty() ? output : folder).string(), document);
}
