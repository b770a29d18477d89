// The installed program: "cmake --install" into a prefix, the prefix moved
// elsewhere, and the moved zukip run from an unrelated folder with no module
// or base folder given: its demo, a query and the dialog rendered offscreen.
// It must find both beside itself, and the module its dialog library; the
// stripped program holds no path of the source or build tree to fall back on.
#include "HostProgramFixture.h"

#include <cstdlib>

#if !defined(ZUKIP_CMAKE) || !defined(ZUKIP_BUILD_DIR) || !defined(ZUKIP_SOURCE_TREE)
#error "ZUKIP_CMAKE, ZUKIP_BUILD_DIR and ZUKIP_SOURCE_TREE must be defined"
#endif

namespace fs = std::filesystem;

TEST_F(HostProgramTest, InstalledProgramRunsTheDemoFromAMovedPrefix) {
    const fs::path first = work() / "prefix", moved = work() / "elsewhere" / "zukip";
    const ProgramRun install =
        runProgram(ZUKIP_CMAKE, {"--install", ZUKIP_BUILD_DIR, "--prefix", first.string(), "--strip"}, work());
    ASSERT_EQ(install.status, 0) << install.out << install.err;
    for (const char* file : {"bin/zukip", "bin/kawpdft", "lib/zukip/ZuKIP.so", "lib/zukip/ZuKIPDialog.so",
                             "share/zukip/base/OutputDrivers/ZuKIPDes.xml", "share/zukip/base/Program(x64)/ZipCompress.exe",
                             "share/zukip/printer-sim/printer_sim.py"})
        EXPECT_TRUE(fs::is_regular_file(first / file)) << file;
    fs::create_directories(moved.parent_path());
    fs::rename(first, moved);

// An instrumented program names its counter files in the build tree, a sanitized one its source files
// for its reports.
#if !defined(ZUKIP_COVERAGE) && !defined(__SANITIZE_ADDRESS__)
    const std::string program = readFile(moved / "bin" / "zukip");
    for (const std::string& tree : {std::string(ZUKIP_SOURCE_TREE), std::string(ZUKIP_BUILD_DIR), first.string()})
        EXPECT_EQ(program.find(tree), std::string::npos) << "the installed zukip names " << tree;
#endif

    // Each test runs in a process of its own: nothing needs restoring.
    unsetenv("ZUKIP_MODULE");
    unsetenv("ZUKIP_BASE_DIR");
    const fs::path elsewhere = work() / "cwd";
    fs::create_directories(elsewhere);
    const ProgramRun demo =
        runProgram((moved / "bin" / "zukip").string(), {"demo", "-o", "demo", "--size", "64x32"}, elsewhere);
    ASSERT_EQ(demo.status, 0) << demo.out << demo.err;
    for (const char* name : {"base/OutputDrivers/ZuKIPDes.xml", "poster.tif", "poster.job", "poster.zrs", "output"})
        EXPECT_TRUE(fs::exists(elsewhere / "demo" / name)) << name;
    EXPECT_NE(demo.out.find("Ink coverage"), std::string::npos);
    const ProgramRun again = runProgram((moved / "bin" / "zukip").string(), {"demo", "-o", "demo"}, elsewhere);
    EXPECT_NE(again.status, 0);
    EXPECT_NE(again.err.find("not empty"), std::string::npos) << again.err;
    const ProgramRun query = runProgram((moved / "bin" / "zukip").string(), {"query", "color-modes"}, elsewhere);
    ASSERT_EQ(query.status, 0) << query.err;
    EXPECT_NE(query.out.find("Driver " + (moved / "lib" / "zukip" / "ZuKIP.so").string() + ", "), std::string::npos)
        << query.out;
    EXPECT_NE(query.out.find("base folder " + (moved / "share" / "zukip" / "base").string()), std::string::npos)
        << query.out;
#ifdef __SANITIZE_ADDRESS__
    // No leak check when the Qt program ends: with Qt's threads ending beside it, LeakSanitizer's
    // thread stopping now and then crashes ("Tracer caught signal 11") and fails a run that worked.
    // The dialog tests check the dialog's leaks in process.
    const char* asan = std::getenv("ASAN_OPTIONS");
    setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + (asan && *asan ? ":" : "") + "detect_leaks=0").c_str(), 1);
#endif
    const ProgramRun dialog =
        runProgram((moved / "bin" / "zukip").string(), {"options", "--screenshot", "dialog.png"}, elsewhere);
    ASSERT_EQ(dialog.status, 0) << dialog.err;
    EXPECT_TRUE(fs::is_regular_file(elsewhere / "dialog.png"));
}
