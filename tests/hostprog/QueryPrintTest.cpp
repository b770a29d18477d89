// The commands that load the driver module: what query and print refuse, plus
// the help of every command. What query answers, the job folder that print
// makes and its summary are read back in EndToEndTest.cpp, the demo runs in
// InstallTest.cpp.
#include "HostProgramFixture.h"

#include <algorithm>

namespace fs = std::filesystem;

TEST(Help, EveryCommandSaysWhatItDoesWithAnExample) {
    const fs::path cwd = fs::temp_directory_path();
    for (const char* command : {"make-job", "print", "query", "demo"}) {
        SCOPED_TRACE(command);
        const ProgramRun run = runZukip({command, "--help"}, cwd);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out.rfind(std::string("Usage: zukip ") + command, 0), 0u) << run.out;
        EXPECT_NE(run.out.find("Example:\n  zukip " + std::string(command)), std::string::npos) << run.out;
    }
    EXPECT_NE(runZukip({}, cwd).status, 0);
    EXPECT_EQ(runZukip({"plot"}, cwd).status, 2);
}

TEST_F(HostProgramTest, QueryAndPrintSayWhatTheyCannotUse) {
    writeTiff(work() / "in.tif", 8, 8, 4, 8, PHOTOMETRIC_SEPARATED, std::vector<uint8_t>(8 * 8 * 4, 128));
    ASSERT_EQ(zukip("make-job", {"-c", "1", "-o", "ok.job", "in.tif"}).status, 0);
    // A poster job whose tile list lacks its last byte.
    ASSERT_EQ(zukip("make-job", {"-o", "cut.job", "--tiles", "2x1", "in.tif"}).status, 0);
    const std::vector<unsigned char> whole = readBytes(work() / "cut.job");
    writeBytes(work() / "cut.job", std::vector<unsigned char>(whole.begin(), whole.end() - 1));
    writeBytes(work() / "short.job", std::vector<unsigned char>(3939, 0));
    writeBytes(work() / "zeros.job", std::vector<unsigned char>(3940, 0));
    fs::copy_file(work() / "ok.job", work() / "lonely.job");   // without a raster file of its own
    std::ofstream(work() / "plain.txt") << "x";
    fs::create_directories(work() / "empty");
    struct Case {
        const char* command;
        std::vector<std::string> args;
        int status;   // 2: the command line itself is wrong
        std::string named;
    };
    const std::vector<Case> cases = {
        {"query", {"-m", "KIP 9999"}, 1, "KIP 9999"},
        {"query", {"planets"}, 2, "planets"},
        {"query", {"--module", "/nonexistent/ZuKIP.so"}, 1, "/nonexistent/ZuKIP.so"},
        {"query", {"--base", (work() / "empty").string()}, 1, "ZuKIPDes.xml"},
        {"print", {"absent.job"}, 1, "absent.job"},
        {"print", {"short.job"}, 1, "3939 bytes, shorter than a job header"},
        {"print", {"zeros.job"}, 1, "not a job"},
        {"print", {"lonely.job"}, 1, "lonely.zrs"},
        {"print", {"cut.job"}, 1, "not a tile list"},
        {"print", {"ok.zrs"}, 1, "is the raster file of a job, not the job; print " + (work() / "ok.job").string()},
        {"print", {"ok.job.thumb.bmp"}, 1, "is a BMP image"},
        {"print", {"."}, 1, "is a folder"},
        {"print", {"ok.job", "-o", "plain.txt/out"}, 1, "plain.txt"},
        {"print", {"ok.job", "extra.job"}, 2, "one image or job file"},
        {"print", {"-m", "KIP 870 Color", "ok.job"}, 2, "--model applies to images only"},
        {"print", {"--media", "Velvet", "ok.job"}, 2, "no medium \"Velvet\""},
        {"print", {"--copies", "0", "ok.job"}, 2, "--copies"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.back());
        std::vector<std::string> args = c.args;
        const auto lacks = [&args](const char* option) { return std::find(args.begin(), args.end(), option) == args.end(); };
        if (c.command == std::string("print") && lacks("-o")) args.insert(args.begin(), {"-o", "out"});
        if (lacks("--base")) args.insert(args.begin(), {"--base", basePath()});
        args.insert(args.begin(), c.command);
        const ProgramRun run = runZukip(args, work());
        EXPECT_EQ(run.status, c.status);
        const std::vector<std::string> lines = run.errLines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back().rfind("zukip " + std::string(c.command) + ": ", 0), 0u) << run.err;
        EXPECT_NE(lines.back().find(c.named), std::string::npos) << lines.back();
    }
}
