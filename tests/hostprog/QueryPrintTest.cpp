// The commands that load the driver module: query, print and demo, plus the
// help of every command. The job folder that print makes is read back in
// EndToEndTest.cpp.
#include "DriverModule.h"
#include "HostProgramFixture.h"
#include "JobHeader.h"
#include "JobRunner.h"

#include <tiffio.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <regex>

namespace fs = std::filesystem;

namespace {

class DriverCommands : public HostProgramTest {
protected:
    // A one-page 8-bit CMYK job of w x h pixels with one ink value per plane.
    void makeJob(const std::string& job, uint32_t w, uint32_t h) {
        std::vector<uint8_t> cmyk(size_t(w) * h * 4);
        for (size_t i = 0; i < cmyk.size(); ++i) cmyk[i] = i % 4 == 0 ? 255 : i % 4 == 3 ? 128 : 0;
        writeTiff(work() / "in.tif", w, h, 4, 8, PHOTOMETRIC_SEPARATED, cmyk);
        const ProgramRun run = zukip("make-job", {"-m", "Test Color", "-c", "1", "-o", job, "in.tif"});
        ASSERT_EQ(run.status, 0) << run.err;
    }

    void expectOneLineError(const ProgramRun& run, const std::string& command, const std::string& named) {
        EXPECT_NE(run.status, 0);
        const std::vector<std::string> lines = run.errLines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back().rfind("zukip " + command + ": ", 0), 0u) << run.err;
        EXPECT_NE(lines.back().find(named), std::string::npos) << lines.back();
    }
};

}  // namespace

TEST(Help, EveryCommandSaysWhatItDoesWithAnExample) {
    const fs::path cwd = fs::temp_directory_path();
    for (const char* command : {"make-job", "print", "query", "demo"}) {
        SCOPED_TRACE(command);
        const ProgramRun run = runZukip({command, "--help"}, cwd);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out.rfind(std::string("Usage: zukip ") + command, 0), 0u) << run.out;
        EXPECT_NE(run.out.find("Example:\n  zukip " + std::string(command)), std::string::npos) << run.out;
        EXPECT_TRUE(run.err.empty()) << run.err;
    }
    const ProgramRun overview = runZukip({"--help"}, cwd);
    EXPECT_EQ(overview.status, 0);
    for (const char* command : {"make-job", "print", "query", "demo"})
        EXPECT_NE(overview.out.find(command), std::string::npos);
    EXPECT_NE(runZukip({}, cwd).status, 0);
    const ProgramRun unknown = runZukip({"plot"}, cwd);
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.errLines().size(), 1u);
}

TEST_F(DriverCommands, QueryAnswersWithTablesWhateverTheDriverKnows) {
    const ProgramRun run = zukip("query", {"-m", "Test Color"});
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* title : {"Colour modes of \"Test Color\"", "Media rolls", "Resolutions for medium 3",
                              "Screening for colour mode", "Dither table for colour mode"})
        EXPECT_NE(run.out.find(title), std::string::npos) << title << "\n" << run.out;
    EXPECT_NE(run.out.find("CMYK (8 bits)"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("300x150 dpi"), std::string::npos) << run.out;
}

TEST_F(DriverCommands, QueryRefusesWhatItCannotAsk) {
    expectOneLineError(zukip("query", {"-m", "KIP 9999"}), "query", "KIP 9999");
    expectOneLineError(zukip("query", {"-m", "Test Color", "planets"}), "query", "planets");
    expectOneLineError(zukip("query", {"-m", "Test Color", "--module", "/nonexistent/ZuKIP.so"}), "query",
                       "/nonexistent/ZuKIP.so");
    fs::create_directories(work() / "empty");
    expectOneLineError(runZukip({"query", "--base", (work() / "empty").string()}, work()), "query", "ZuKIPDes.xml");
}

TEST_F(DriverCommands, PrintSaysWhatItWasGivenWhenItIsNotAJob) {
    makeJob("ok.job", 8, 8);
    writeBytes(work() / "short.job", std::vector<unsigned char>(3939, 0));
    writeBytes(work() / "zeros.job", std::vector<unsigned char>(3940, 0));
    JobHeaderLayout header{};
    std::strcpy(header.modelName, "Test Color");
    header.xResolution = header.yResolution = 300;
    writeBytes(work() / "lonely.job", std::vector<unsigned char>(reinterpret_cast<unsigned char*>(&header),
                                                                 reinterpret_cast<unsigned char*>(&header + 1)));
    std::ofstream(work() / "plain.txt") << "x";
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"absent.job"}, "absent.job"},
        {{"short.job"}, "3939 bytes, shorter than a job header"},
        {{"zeros.job"}, "not a job"},
        {{"lonely.job"}, "lonely.zrs"},
        {{"ok.zrs"}, "is the raster file of a job, not the job; print " + (work() / "ok.job").string()},
        {{"ok.job.thumb.bmp"}, "is a BMP image"},
        {{"."}, "is a folder"},
        {{"plain.txt"}, "plain.txt is not a job"},
        {{"ok.job", "-o", "plain.txt/out"}, "plain.txt"},
        {{"ok.job", "extra.job"}, "one image or job file"},
        {{"-m", "Test Color", "ok.job"}, "--model applies to images only"},
        {{"--media", "Velvet", "ok.job"}, "no medium \"Velvet\""},
        {{"--copies", "0", "ok.job"}, "--copies"},
    };
    for (const auto& [args, named] : cases) {
        SCOPED_TRACE(args.back());
        std::vector<std::string> all = args;
        if (std::find(args.begin(), args.end(), "-o") == args.end()) all.insert(all.begin(), {"-o", "out"});
        expectOneLineError(zukip("print", all), "print", named);
    }
}

TEST_F(DriverCommands, PrintWritesTheJobFolderAndSummarisesIt) {
    makeJob("ok.job", 40, 30);
    const ProgramRun run = zukip("print", {"-o", "out", "ok.job"});
    ASSERT_EQ(run.status, 0) << run.err << run.out;
    EXPECT_NE(run.out.find("Job finished"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Job folder " + (work() / "out").string() + "/"), std::string::npos) << run.out;
    // Cyan is fully inked and Black half; Magenta and Yellow carry none.
    EXPECT_TRUE(std::regex_search(run.out, std::regex("\n  Cyan +100\\.00 %"))) << run.out;
    EXPECT_TRUE(std::regex_search(run.out, std::regex("\n  Magenta +0\\.00 %"))) << run.out;
    EXPECT_TRUE(std::regex_search(run.out, std::regex("\n  Black +50\\.20 %"))) << run.out;
}

TEST_F(DriverCommands, AbortBetweenStepsEndsTheJobAsAborted) {
    makeJob("ok.job", 40, 30);
    fs::create_directories(work() / "out");
    const DriverModule module(DriverModule::locate(""));
    DriverModule::Driver driver = module.createDriver();
    std::FILE* sink = std::tmpfile();
    ProgressDisplay progress(sink, false);
    const volatile std::sig_atomic_t stop = 1;
    JobRunner runner(*driver, progress, stop);
    const JobOutcome outcome = runner.run({(work() / "ok.job").string(), "", (work() / "out").string(), "in.tif"});
    EXPECT_EQ(outcome.state, JobOutcome::Aborted);
    EXPECT_EQ(outcome.steps, 0);
    driver.reset();
    std::fclose(sink);
}

TEST_F(DriverCommands, DemoMakesAndPrintsAPosterInAFreshFolder) {
    const ProgramRun run = runZukip({"demo", "-o", (work() / "demo").string(), "--size", "64x48"}, work());
    ASSERT_EQ(run.status, 0) << run.err << run.out;
    for (const char* name : {"base/OutputDrivers/ZuKIPDes.xml", "poster.tif", "poster.job", "poster.zrs", "output"})
        EXPECT_TRUE(fs::exists(work() / "demo" / name)) << name;
    EXPECT_NE(run.out.find("Ink coverage"), std::string::npos);
    const ProgramRun again = runZukip({"demo", "-o", (work() / "demo").string()}, work());
    EXPECT_NE(again.status, 0);
    EXPECT_NE(again.err.find("not empty"), std::string::npos) << again.err;
}
