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

// What the settings file holds is seen where the user sees it, in the options dialog; here how
// delivery reads the port typed there.
TEST(FtpSettings, PortTextIsADecimalNumberIn16Bits) {
    const std::pair<const char*, int> ports[] = {{"2121", 2121}, {"", 21}, {" 990x", 990}, {"70000", 4464}};
    for (const auto& [text, port] : ports) EXPECT_EQ(FtpPortNumber(text), port) << text;
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

TEST_F(FtpDelivery, WithoutReadableSettingsOrArchiveNothingIsSentOrRemoved) {
    PrinterSimulator printer(base.path() / "printer");
    base.write("Temp/KIPFTPSettings.xml", "<RootElement IP1=");
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
