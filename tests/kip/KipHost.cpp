#include "KipHost.h"

#include <gtest/gtest.h>

#include <cstdlib>

KipHost::Driver KipHost::newDriver() const {
    return Driver(module_.createDriver ? module_.createDriver() : nullptr);
}

KipHost::Run KipHost::run(ABasePrinterDriver& driver, KipTestJob& job, const std::string& outputFolder,
                          const std::string& documentName) {
    static NullPort port;
    Run run;
    run.opened = driver.openJob(&job.request, &port);
    if (!run.opened) {
        run.ended = job.request.portCode == -1;
        return run;
    }
    driver.setOutputName(outputFolder.c_str(), reinterpret_cast<intptr_t>(documentName.c_str()));
    const int steps = stepJob(driver, job.request);
    run.steps = std::abs(steps);
    run.failedSteps = steps < 0 ? 1 : 0;
    run.ended = job.request.portCode == -1;
    return run;
}

void expectWhole(const KipHost::Run& run) {
    EXPECT_EQ(run.opened, 1);
    EXPECT_EQ(run.failedSteps, 0);
    EXPECT_TRUE(run.ended);
}

KipHost::Run KipModuleTest::run(ABasePrinterDriver& driver, KipTestJob& job, const std::string& document,
                                const fs::path& folder) const {
    return KipHost::run(driver, job, (folder.empty() ? output : folder).string(), document);
}

KipHost::Run KipModuleTest::run(KipTestJob& job, const std::string& document, const fs::path& folder) const {
    const KipHost::Driver driver = host.newDriver();
    if (!driver) {
        ADD_FAILURE() << "The module gave no driver";
        return {};
    }
    return run(*driver, job, document, folder);
}
