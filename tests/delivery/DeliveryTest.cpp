// Delivery of a job folder: the command line of the packing tool split as Windows does, the
// tool ZipCompress.exe run on real folders (archives read back with libzip), and the archive sent
// to the printer simulator: what arrives, which account logs in, what a printer's faults do, and
// what stays on disk. (Programs that cannot be started are seen through the utilities' wake-up.)
#include "ImageReadBack.h"
#include "KIPDelivery.h"
#include "KIPFtpSettings.h"
#include "Platform/PlatformMessageBox.h"
#include "Platform/PlatformProcess.h"
#include "PrinterSimulator.h"
#include "RVLog.h"
#include "TempBaseFolder.h"
#include "ZipReadBack.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace fs = std::filesystem;

namespace {
// A base folder with the packing tool, and a job folder "out/job_17" whose archive goes beside it.
class Delivery : public ::testing::Test {
protected:
    void SetUp() override {
        installPackingTool(base.path());
        base.write("out/job_17/JobTicket.xml", "<Job/>");
    }

    // Runs the packing tool with its arguments as the driver passes them; its exit code.
    int pack(const std::vector<std::string>& args) {
        const std::string tool = (base.path() / "Program(x64)" / "ZipCompress.exe").string();
        std::string line = "\"" + tool + "\"";
        for (const std::string& a : args) line += " \"" + a + "\"";
        PlatformProcess process;
        if (!process.Start(tool, line)) return -1;
        EXPECT_EQ(process.Wait(PlatformProcess::kInfinite), PlatformProcess::waitEnded);
        int code = -1;
        EXPECT_TRUE(process.ExitCode(code));
        return code;
    }
    int pack(const fs::path& folder, const fs::path& output) {
        return pack({"-dir", folder.string(), "-zipName", "job 17.zip", "-dirOutput", output.string()});
    }
    // Makes the archive of `size` bytes and delivers it; the message boxes shown.
    std::vector<std::string> deliver(size_t size, bool remove) {
        std::vector<unsigned char> bytes(size);
        for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(i * 7);
        writeBytes(archive, bytes);
        return deliverAsIs(remove);
    }
    std::vector<std::string> deliverAsIs(bool remove) {
        MessageBoxCapture boxes;
        PlatformProcess packer;
        KIPDelivery::Deliver(job.c_str(), remove, packer);
        return boxes.texts();
    }
    bool localOutputStays() const { return fs::exists(archive) && fs::exists(job / "JobTicket.xml"); }

    TempBaseFolder base;
    fs::path job = base.path() / "out" / "job_17";
    fs::path archive = base.path() / "out" / "job_17.zip";
};
}  // namespace

TEST(WindowsCommandLine, SplitsAsTheCRuntimeDoes) {
    const std::pair<const char*, std::vector<std::string>> splits[] = {
        {"", {}},
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

TEST_F(Delivery, PackingToolArchivesTheFolderContentByteForByte) {
    const std::map<std::string, std::string> files = {
        {"plan 1 Cyan.tif", std::string(70000, '\x80') + "end"},
        {"Größe_ü.tif", "non-ASCII name"},
        {"page 2/deeper/x.bmp", "BM"},
        {"empty.txt", ""},
    };
    const fs::path folder = base.path() / "out" / "job 17";
    for (const auto& [name, content] : files) base.write("out/job 17/" + name, content);
    fs::create_directories(folder / "empty folder");
    ASSERT_EQ(pack(folder, base.path() / "out"), 0);

    std::map<std::string, std::string> expected = files;
    expected.insert({{"page 2/", "/"}, {"page 2/deeper/", "/"}, {"empty folder/", "/"}});   // folder entries
    EXPECT_EQ(readZipEntries(base.path() / "out" / "job 17.zip"), expected);
    EXPECT_EQ(fileNames(base.path() / "out"), (std::vector<std::string>{"job 17", "job 17.zip", "job_17"}))
        << "no temporary file stays";

    // An empty folder gives an archive without entries, and a second run replaces the archive.
    fs::create_directories(base.path() / "none");
    ASSERT_EQ(pack(base.path() / "none", base.path() / "out"), 0);
    EXPECT_TRUE(readZipEntries(base.path() / "out" / "job 17.zip").empty());
}

TEST_F(Delivery, PackingToolFailsWithoutLeavingAnArchive) {
    const std::string folder = job.string(), out = base.path().string();
    const std::pair<std::vector<std::string>, int> cases[] = {   // the arguments, the exit code
        {{"-dir", (base.path() / "nothing").string(), "-zipName", "j.zip", "-dirOutput", out}, 1},
        {{"-dir", folder, "-zipName", "j.zip", "-dirOutput", (base.path() / "gone").string()}, 1},
        {{"-dir", folder, "-zipName", "sub/j.zip", "-dirOutput", out}, 2},
        {{"-dir", folder, "-zipName", "j.zip"}, 2},
        {{"-dir", folder, "-zipName", "j.zip", "-dirOutput"}, 2},
        {{"-dir", folder, "-name", "j.zip", "-dirOutput", out}, 2},
    };
    for (const auto& [args, code] : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        EXPECT_EQ(pack(args), code);
        EXPECT_FALSE(fs::exists(base.path() / "j.zip"));
    }
    EXPECT_EQ(fileNames(base.path()), (std::vector<std::string>{"OutputDrivers", "Program(x64)", "Temp", "out"}));
}

// What the settings file holds is seen where the user sees it, in the options dialog; here how
// delivery reads the port typed there.
TEST(FtpSettings, PortTextIsADecimalNumberIn16Bits) {
    const std::pair<const char*, int> ports[] = {{"2121", 2121}, {"", 21}, {" 990x", 990}, {"70000", 4464}};
    for (const auto& [text, port] : ports) EXPECT_EQ(FtpPortNumber(text), port) << text;
}

// Anonymous login and removal after the transfer are seen through the module (KipJobFolderTest).
TEST_F(Delivery, SlowPrinterReceivesTheArchiveInTheRequestFolderInActiveMode) {
    PrinterSimulator printer(base.path() / "printer", {"--user", "kip", "--password", "secret", "--slow", "0.05"});
    printer.writeSettings(base.path(), "User=\"kip\" Password=\"secret\"");
    EXPECT_TRUE(deliver(301, false).empty());
    EXPECT_EQ(readBytes(printer.request() / "job_17.zip"), readBytes(archive));
    EXPECT_TRUE(localOutputStays());
    const std::vector<std::string> commands = printer.commands();
    // Active mode: a printer that refuses it is among the faults below.
    for (const char* command : {"USER kip", "PASS secret", "STOR \\request\\job_17.zip"})
        EXPECT_NE(std::find(commands.begin(), commands.end(), command), commands.end()) << command;
    // An empty archive arrives empty.
    EXPECT_TRUE(deliver(0, false).empty());
    EXPECT_EQ(fs::file_size(printer.request() / "job_17.zip"), 0u);
}

TEST_F(Delivery, WithoutReadableSettingsOrArchiveNothingIsSentOrRemoved) {
    PrinterSimulator printer(base.path() / "printer");
    RVLogCapture log;
    for (const char* settings : {"", "<RootElement IP1="}) {   // no settings file, then one cut short
        if (*settings) base.write("Temp/KIPFTPSettings.xml", settings);
        EXPECT_TRUE(deliver(100, true).empty()) << settings;
        EXPECT_TRUE(localOutputStays()) << settings;
    }
    fs::remove(archive);
    printer.writeSettings(base.path());
    EXPECT_TRUE(deliverAsIs(true).empty());
    EXPECT_EQ(std::count(log.messages().begin(), log.messages().end(), "LoadFTPSettings or zipFile.exists"), 3);
    EXPECT_TRUE(printer.commands().empty());
    EXPECT_TRUE(fs::exists(job / "JobTicket.xml"));
}

TEST_F(Delivery, PrinterFaultsShowTheReportAndKeepTheOutput) {
    const std::vector<std::vector<std::string>> faults = {
        {"--refuse-login"}, {"--drop-after", "1000"}, {"--refuse-active"}};
    for (const auto& fault : faults) {
        PrinterSimulator printer(base.path() / ("printer" + fault[0]), fault);
        printer.writeSettings(base.path());
        const std::vector<std::string> boxes = deliver(100000, true);
        ASSERT_EQ(boxes.size(), 2u) << fault[0];
        EXPECT_NE(boxes[0].find("FTP"), std::string::npos) << boxes[0];
        EXPECT_EQ(boxes[1], "Exception open ftp");
        EXPECT_TRUE(localOutputStays()) << fault[0];
    }
}
