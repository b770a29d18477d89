// print's job loop against a stand-in driver module: the normal end, a
// failing step, Ctrl-C, and the summary of what the driver left.
#include "HostProgramFixture.h"

#include <tiffio.h>

#include <cstdlib>
#include <regex>

#ifndef ZUKIP_FAKE_DRIVER
#error "ZUKIP_FAKE_DRIVER must name the stand-in driver module"
#endif

namespace fs = std::filesystem;

namespace {

class PrintLoop : public HostProgramTest {
protected:
    PrintLoop() {
        writeTiff(work() / "in.tif", 8, 2, 4, 8, PHOTOMETRIC_SEPARATED, std::vector<uint8_t>(64, 255));
        EXPECT_EQ(zukip("make-job", {"-m", "Test Color", "-d", "plan.pdf", "-o", "job.job", "in.tif"}).status, 0);
    }
    ~PrintLoop() override { unsetenv("ZUKIP_FAKE_MODE"); }

    ProgramRun print(const char* mode) {
        if (mode) setenv("ZUKIP_FAKE_MODE", mode, 1);
        return zukip("print", {"--module", ZUKIP_FAKE_DRIVER, "-o", "out", "job.job"});
    }
};

}  // namespace

TEST_F(PrintLoop, NormalEndGivesProgressSummaryAndStatusZero) {
    const ProgramRun run = print(nullptr);
    ASSERT_EQ(run.status, 0) << run.err << run.out;
    EXPECT_TRUE(run.err.empty()) << run.err;
    // Output is not a terminal: plain progress lines, one per tenth reached.
    EXPECT_NE(run.out.find("progress  20%  Cyan\nprogress  40%  Cyan\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Job folder " + (work() / "out" / "plan.pdf_1").string()), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("page_1_Cyan.tif"), std::string::npos);
    EXPECT_TRUE(std::regex_search(run.out, std::regex("\n  Cyan +100\\.00 %  1\n"))) << run.out;
    EXPECT_NE(run.out.find("\nJob finished.\n"), std::string::npos);
}

TEST_F(PrintLoop, FailingStepEndsWithTheDriversStatusAndStatusOne) {
    const ProgramRun run = print("fail");
    EXPECT_EQ(run.status, 1);
    ASSERT_EQ(run.errLines().size(), 1u) << run.err;
    EXPECT_EQ(run.errLines()[0], "zukip print: job failed: the driver failed at step 2 (status: Write Data Error)");
}

TEST_F(PrintLoop, CtrlCAbortsTheJobThroughTheDriver) {
    const ProgramRun run = print("interrupt");
    EXPECT_EQ(run.status, 130);
    EXPECT_EQ(run.errLines(), (std::vector<std::string>{"zukip print: job aborted: stopped by the user"}));
    EXPECT_TRUE(fs::exists(work() / "out" / "plan.pdf_1" / "aborted"));
    EXPECT_FALSE(fs::exists(work() / "out" / "plan.pdf_1" / "page_1_Cyan.tif"));
}

TEST_F(PrintLoop, RefusedOutputNameIsReported) {
    fs::create_directories(work() / "out" / "plan.pdf_1");   // the stand-in refuses an existing job folder
    const ProgramRun run = print(nullptr);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("the driver refused the output folder " + (work() / "out").string()), std::string::npos)
        << run.err;
}
