// print's job loop against a stand-in driver module: the normal end with its
// progress lines and the three ways a job ends early, each with its own exit
// status and, when it ends early, one line on stderr.
#include "HostProgramFixture.h"

#include <cstdlib>

#ifndef ZUKIP_FAKE_DRIVER
#error "ZUKIP_FAKE_DRIVER must name the stand-in driver module"
#endif

namespace fs = std::filesystem;

using PrintLoop = HostProgramTest;

TEST_F(PrintLoop, EachWayAJobEndsGivesItsStatusAndAtMostOneLine) {
    writeTiff(work() / "in.tif", {{8, 2, 4, 8, PHOTOMETRIC_SEPARATED, std::vector<uint8_t>(64, 255)}});
    ASSERT_EQ(zukip("make-job", {"-d", "plan.pdf", "-o", "job.job", "in.tif"}).status, 0);
    struct Case {
        const char* mode;
        int status;
        std::string line;   // the one line on stderr, "" for none
    };
    const Case cases[] = {
        {"", 0, ""},
        {"fail", 1, "zukip print: job failed: the driver failed at step 2 (status: Write Data Error)"},
        // Ctrl-C: the job is aborted through the driver.
        {"interrupt", 130, "zukip print: job aborted: stopped by the user"},
        {"refuse", 1, "zukip print: job failed: the driver refused the output folder " + (work() / "out").string()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        // The stand-in's mode: see FakeDriverModule.cpp.
        setenv("ZUKIP_FAKE_MODE", c.mode, 1);
        fs::remove_all(work() / "out");
        const ProgramRun run = zukip("print", {"--module", ZUKIP_FAKE_DRIVER, "-o", "out", "job.job"});
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.errLines(), c.line.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.line});
        EXPECT_EQ(fs::exists(work() / "out" / "plan.pdf_1" / "aborted"), c.status == 130);
        if (c.status != 0) continue;
        // Output is not a terminal: plain progress lines, one per tenth reached. The job folder and the summary
        // of what a job left are checked with the real driver in EndToEndTest.cpp.
        EXPECT_NE(run.out.find("progress  20%  Cyan\nprogress  40%  Cyan\n"), std::string::npos) << run.out;
    }
    unsetenv("ZUKIP_FAKE_MODE");
}
