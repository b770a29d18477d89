// Splitting a Windows command line, and the packing tool ZipCompress.exe run
// on real folders, its archives read back with libzip. (Programs that cannot
// be started are seen through the printer utilities' wake-up.)
#include "ImageReadBack.h"
#include "KIPDelivery.h"
#include "Platform/PlatformProcess.h"
#include "PrinterSimulator.h"
#include "TempBaseFolder.h"
#include "ZipReadBack.h"

#include <gtest/gtest.h>

#include <map>

namespace fs = std::filesystem;

namespace {
class PackingTool : public ::testing::Test {
protected:
    void SetUp() override { installPackingTool(base.path()); }

    // Runs the tool with its arguments as the driver passes them; its exit code.
    int pack(const std::vector<std::string>& args) {
        std::string line = "\"" + tool().string() + "\"";
        for (const std::string& a : args) line += " \"" + a + "\"";
        PlatformProcess process;
        if (!process.Start(tool().string(), line)) return -1;
        EXPECT_EQ(process.Wait(PlatformProcess::kInfinite), PlatformProcess::waitEnded);
        int code = -1;
        EXPECT_TRUE(process.ExitCode(code));
        return code;
    }
    int pack(const fs::path& folder, const std::string& name, const fs::path& output) {
        return pack({"-dir", folder.string(), "-zipName", name, "-dirOutput", output.string()});
    }
    fs::path tool() const { return base.path() / "Program(x64)" / "ZipCompress.exe"; }

    TempBaseFolder base;
};
}  // namespace

TEST(WindowsCommandLine, SplitsAsTheCRuntimeDoes) {
    const std::pair<const char*, std::vector<std::string>> splits[] = {
        {"", {}},
        {"tool", {"tool"}},
        {"\"C:\\dir\\\"x", {"C:\\dir\\", "x"}},   // the program name takes no escapes; a quote ends it
        {"t  a\tb ", {"t", "a", "b"}},
        {"t \"\" x", {"t", "", "x"}},
        {"t a\\\\b \\\\\\\\\"c d\"", {"t", "a\\\\b", "\\\\c d"}},
        {"t \\\"q\\\" \\\\\\\"", {"t", "\"q\"", "\\\""}},
        {"t \"a \"\"b\"\" c\"", {"t", "a \"b\" c"}},
    };
    for (const auto& [line, words] : splits) EXPECT_EQ(SplitWindowsCommandLine(line), words) << line;
    // The packing tool's line splits back into its values: blanks stay inside them, backslashes are kept.
    EXPECT_EQ(SplitWindowsCommandLine(KIPDelivery::PackCommandLine("/base dir/Z.exe", "C:\\out\\job 17").str()),
              (std::vector<std::string>{"/base dir/Z.exe", "-dir", "C:\\out\\job 17", "-zipName", "job 17.zip",
                                        "-dirOutput", "C:\\out"}));
}

TEST_F(PackingTool, ArchivesTheFolderContentByteForByte) {
    const std::map<std::string, std::string> files = {
        {"plan 1 Cyan.tif", std::string(70000, '\x80') + "end"},
        {"Größe_ü.tif", "non-ASCII name"},
        {"page 2/deeper/x.bmp", "BM"},
        {"empty.txt", ""},
    };
    const fs::path folder = base.path() / "out" / "job 17";
    for (const auto& [name, content] : files) base.write("out/job 17/" + name, content);
    fs::create_directories(folder / "empty folder");
    ASSERT_EQ(pack(folder, "job 17.zip", base.path() / "out"), 0);

    std::map<std::string, std::string> expected = files;
    expected["page 2/"] = "/";
    expected["page 2/deeper/"] = "/";
    expected["empty folder/"] = "/";
    EXPECT_EQ(readZipEntries(base.path() / "out" / "job 17.zip"), expected);
    EXPECT_EQ(fileNames(base.path() / "out"), (std::vector<std::string>{"job 17", "job 17.zip"}))
        << "no temporary file stays";

    // An empty folder gives an archive without entries, and a second run replaces the archive.
    fs::create_directories(base.path() / "none");
    ASSERT_EQ(pack(base.path() / "none", "job 17.zip", base.path() / "out"), 0);
    EXPECT_TRUE(readZipEntries(base.path() / "out" / "job 17.zip").empty());
}

TEST_F(PackingTool, FailsWithoutLeavingAnArchive) {
    base.write("job/a.tif", "a");
    const std::string job = (base.path() / "job").string(), out = base.path().string();
    const std::pair<std::vector<std::string>, int> cases[] = {   // the arguments, the exit code
        {{"-dir", (base.path() / "nothing").string(), "-zipName", "j.zip", "-dirOutput", out}, 1},
        {{"-dir", job, "-zipName", "j.zip", "-dirOutput", (base.path() / "gone").string()}, 1},
        {{"-dir", job, "-zipName", "sub/j.zip", "-dirOutput", out}, 2},
        {{"-dir", job, "-zipName", "j.zip"}, 2},
        {{"-dir", job, "-zipName", "j.zip", "-dirOutput"}, 2},
        {{"-dir", job, "-name", "j.zip", "-dirOutput", out}, 2},
    };
    for (const auto& [args, code] : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        EXPECT_EQ(pack(args), code);
        EXPECT_FALSE(fs::exists(base.path() / "j.zip"));
    }
    EXPECT_EQ(fileNames(base.path()), (std::vector<std::string>{"OutputDrivers", "Program(x64)", "Temp", "job"}));
}
