// FTP settings and delivery of a packed job to the printer simulator: what
// arrives, which account logs in, what the faults of a printer do, and what
// stays on disk afterwards.
#include "KIPDelivery.h"
#include "KIPFtpSettings.h"
#include "Platform/PlatformMessageBox.h"
#include "PrinterSimulator.h"
#include "RVLog.h"
#include "TempBaseFolder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace fs = std::filesystem;

namespace {
bool contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// A job folder "out/job_17" with its archive beside it, delivered as the driver does.
class FtpDelivery : public ::testing::Test {
protected:
    void SetUp() override { base.write("out/job_17/JobTicket.xml", "<Job/>"); }

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

// Empty values and other root names are seen where the user sees them, in the options dialog; here
// what delivery is told: whether there is a file, and what it gets when there is none or it is unreadable.
TEST(FtpSettings, ReadsTheFileWithItsDefaults) {
    struct Case {
        const char* file;   // content of KIPFTPSettings.xml; null: no file
        int result;
        const char* read;   // address|port|user|password afterwards
    };
    const Case cases[] = {
        {nullptr, 0, "127.0.0.1|21|anonymous|kept"},
        {"<RootElement IP1=\"10\" IP2=\"0\" IP3=\"0\" IP4=\"7\" Port=\"2121\" User=\"kip\" Password=\"p&amp;w\"/>", 1,
         "10.0.0.7|2121|kip|p&w"},
        {"<RootElement IP1=", 0, "old|old|old|kept"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file ? c.file : "no file");
        TempBaseFolder base;
        if (c.file) base.write("Temp/KIPFTPSettings.xml", c.file);
        AString address = "old", port = "old", user = "old", password = "kept";
        EXPECT_EQ(LoadFTPSettings(address, port, user, password), c.result);
        EXPECT_EQ((address + "|" + port + "|" + user + "|" + password).str(), c.read);
    }
}

TEST(FtpSettings, PortTextIsADecimalNumberIn16Bits) {
    const std::pair<const char*, int> ports[] = {{"2121", 2121}, {"", 21}, {"abc", 21}, {"0", 21},
                                                 {" 990x", 990}, {"65536", 21}, {"70000", 4464}, {"-5", 21}};
    for (const auto& [text, port] : ports) EXPECT_EQ(FtpPortNumber(text), port) << text;
}

// Each read is one write to the remote file: a 301-byte archive goes as 300 and 1 bytes.
TEST(FtpChunks, WritesAtMost300BytesAtATime) {
    TempBaseFolder base;
    for (const size_t size : {size_t{301}, size_t{0}, size_t{600}}) {
        writeBytes(base.path() / "a.zip", std::vector<unsigned char>(size, 1));
        AFile file;
        ASSERT_TRUE(file.Open((base.path() / "a.zip").c_str(), AFile::modeRead | AFile::typeBinary));
        int64_t sent = 0;
        const PlatformFtp::Reader reader = KIPDelivery::ChunkReader(file, file.GetLength(), sent);
        std::vector<size_t> writes;
        uint8_t buffer[65536];
        for (size_t n; (n = reader(buffer, sizeof buffer)) != 0;) writes.push_back(n);
        std::vector<size_t> expected(size / 300, 300);
        if (size % 300) expected.push_back(size % 300);
        EXPECT_EQ(writes, expected) << size;
        EXPECT_EQ(sent, static_cast<int64_t>(size));
    }
}

// Anonymous login and removal after the transfer are seen through the module (KipJobFolderTest).
TEST_F(FtpDelivery, SlowPrinterReceivesTheArchiveInTheRequestFolderInActiveMode) {
    PrinterSimulator printer(base.path() / "printer", {"--user", "kip", "--password", "secret", "--slow", "0.05"});
    printer.writeSettings(base.path(), "User=\"kip\" Password=\"secret\"");
    EXPECT_TRUE(deliver(301, false).empty());
    EXPECT_EQ(readBytes(printer.request() / "job_17.zip"), readBytes(archive));
    EXPECT_TRUE(localOutputStays());
    const std::vector<std::string> commands = printer.commands();
    EXPECT_TRUE(contains(commands, "USER kip"));
    EXPECT_TRUE(contains(commands, "PASS secret"));
    EXPECT_TRUE(contains(commands, "STOR \\request\\job_17.zip"));
    EXPECT_TRUE(std::any_of(commands.begin(), commands.end(), [](const std::string& c) {
        return c.rfind("EPRT ", 0) == 0 || c.rfind("PORT ", 0) == 0;
    })) << "delivery uses active mode";
    // An empty archive arrives empty.
    EXPECT_TRUE(deliver(0, false).empty());
    EXPECT_EQ(fs::file_size(printer.request() / "job_17.zip"), 0u);
}

TEST_F(FtpDelivery, WithoutSettingsOrArchiveNothingIsSentOrRemoved) {
    PrinterSimulator printer(base.path() / "printer");
    RVLogCapture log;
    EXPECT_TRUE(deliver(100, true).empty());
    EXPECT_TRUE(localOutputStays());
    fs::remove(archive);
    printer.writeSettings(base.path());
    EXPECT_TRUE(deliverAsIs(true).empty());
    EXPECT_EQ(std::count(log.messages().begin(), log.messages().end(), "LoadFTPSettings or zipFile.exists"), 2);
    EXPECT_TRUE(printer.commands().empty());
    EXPECT_TRUE(fs::exists(job / "JobTicket.xml"));
}

TEST_F(FtpDelivery, PrinterFaultsShowTheReportAndKeepTheOutput) {
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
