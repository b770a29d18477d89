// "Read Media from Printer" against the printer simulator: what arrives, the
// second attempt in passive mode, the messages and log entries, and the old
// copy kept when nothing new came.
#include "KIPPrinterUtilities.h"
#include "Platform/PlatformMessageBox.h"
#include "Platform/PlatformProcess.h"
#include "PrinterSimulator.h"
#include "RVLog.h"
#include "TempBaseFolder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace fs = std::filesystem;

namespace {
const char* const kSuccess = "Media table from printer read successfully.";
const char* const kFailure = "Exception open ftp";
const char* const kReport = "<the FTP report>";

bool logged(const RVLogCapture& log, const std::string& start) {
    return std::any_of(log.messages().begin(), log.messages().end(),
                       [&](const std::string& m) { return m.rfind(start, 0) == 0; });
}

struct ReadCase {
    const char* name;
    std::vector<std::string> printerOptions;
    int remoteBytes;                  // size of the printer's file; -1: the printer has none
    std::vector<std::string> boxes;   // kReport stands for the FTP failure's own report
    const char* logEntry;             // the start of a log entry expected, or null
    bool replaced;                    // the local copy is the printer's file afterwards
};

const ReadCase kReads[] = {
    {"active", {}, 5000, {kSuccess}, nullptr, true},
    {"passive", {"--refuse-active"}, 5000, {kReport, kSuccess}, "Last error ", true},
    {"refused", {"--refuse-login"}, 5000, {kReport, kReport, kFailure}, "Last error ", false},
    {"empty", {}, 0, {kSuccess}, "resSize 0 length 0", false},
    {"missing", {}, -1, {}, "CInternetFile *file=NULL", false},
};
}  // namespace

TEST(ReadMedia, FetchesTheInformationFileActiveThenPassive) {
    TempBaseFolder base;
    const fs::path local = KIPPrinterUtilities::InformationFilePath().str();
    for (const ReadCase& c : kReads) {
        SCOPED_TRACE(c.name);
        std::string remote(std::max(c.remoteBytes, 0), '\0');
        for (size_t i = 0; i < remote.size(); ++i) remote[i] = "Roll1Media=\r\n\x80"[i % 14];
        std::vector<std::string> options = c.printerOptions;
        if (c.remoteBytes >= 0) {
            const fs::path file = base.write(std::string("remote-") + c.name, remote);
            options.insert(options.end(), {"--statinfo", file.string()});
        }
        PrinterSimulator printer(base.path() / c.name, options);
        printer.writeSettings(base.path());
        base.write("OutputDrivers/KIP/KipUnattend.dat", "old copy");

        RVLogCapture log;
        MessageBoxCapture boxes;
        EXPECT_EQ(KIPPrinterUtilities::ReadMediaFromPrinter(), !c.boxes.empty() && c.boxes.back() == kSuccess);
        std::vector<std::string> shown = boxes.texts();
        for (std::string& text : shown)
            if (text.rfind("FTP ", 0) == 0) text = kReport;
        EXPECT_EQ(shown, c.boxes);
        if (c.logEntry) {
            EXPECT_TRUE(logged(log, c.logEntry)) << c.logEntry;
        }
        EXPECT_EQ(readFile(local), c.replaced ? remote : "old copy");
    }
}

TEST(ReadMedia, DoesNothingWithoutSettingsAndRunsFromZukip) {
    TempBaseFolder base;
    const fs::path local = KIPPrinterUtilities::InformationFilePath().str();
    const fs::path remote = base.write("IPSUnattend.Dat", "Roll1Media=Bond\r\nCustomMedia1=Film\r\n");
    PrinterSimulator printer(base.path() / "printer", {"--statinfo", remote.string()});
    {
        RVLogCapture log;
        MessageBoxCapture boxes;
        EXPECT_FALSE(KIPPrinterUtilities::ReadMediaFromPrinter());
        EXPECT_TRUE(boxes.texts().empty());
        EXPECT_TRUE(log.messages().empty());
        EXPECT_TRUE(printer.commands().empty());
        EXPECT_FALSE(fs::exists(local));
    }
    printer.writeSettings(base.path());
    PlatformProcess zukip;
    ASSERT_TRUE(zukip.Start(ZUKIP_PROGRAM, std::string("\"") + ZUKIP_PROGRAM + "\" printer read-media --base \"" +
                                               base.path().string() + "\""));
    zukip.Wait(PlatformProcess::kInfinite);
    int status = -1;
    EXPECT_TRUE(zukip.ExitCode(status));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(readFile(local), readFile(remote));
}
