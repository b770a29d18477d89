// "Read Media from Printer" against the printer simulator: what arrives, the
// second attempt in passive mode, the messages and log entries, and the old
// copy kept when nothing new came.
#include "KIPPrinterUtilities.h"
#include "Platform/PlatformMessageBox.h"
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
    bool settings;                    // the FTP settings name the printer
    std::vector<std::string> printerOptions;
    int remoteBytes;                  // size of the printer's file; -1: the printer has none
    std::vector<std::string> boxes;   // kReport stands for the FTP failure's own report
    const char* logEntry;             // the start of a log entry expected; null: nothing logged
    bool replaced;                    // the local copy is the printer's file afterwards
};

const ReadCase kReads[] = {
    {"active", true, {}, 5000, {kSuccess}, nullptr, true},
    {"passive", true, {"--refuse-active"}, 5000, {kReport, kSuccess}, "Last error ", true},
    {"refused", true, {"--refuse-login"}, 5000, {kReport, kReport, kFailure}, "Last error ", false},
    {"empty", true, {}, 0, {kSuccess}, "resSize 0 length 0", false},
    {"missing", true, {}, -1, {}, "CInternetFile *file=NULL", false},
    {"no settings", false, {}, 5000, {}, nullptr, false},   // nothing is asked of any printer
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
        fs::remove(base.temp() / "KIPFTPSettings.xml");
        if (c.settings) printer.writeSettings(base.path());
        base.write("OutputDrivers/KIP/KipUnattend.dat", "old copy");

        RVLogCapture log;
        MessageBoxCapture boxes;
        EXPECT_EQ(KIPPrinterUtilities::ReadMediaFromPrinter(), !c.boxes.empty() && c.boxes.back() == kSuccess);
        std::vector<std::string> shown = boxes.texts();
        for (std::string& text : shown)
            if (text.rfind("FTP ", 0) == 0) text = kReport;
        EXPECT_EQ(shown, c.boxes);
        if (c.logEntry) EXPECT_TRUE(logged(log, c.logEntry)) << c.logEntry;
        else EXPECT_TRUE(log.messages().empty());
        EXPECT_EQ(printer.commands().empty(), !c.settings);
        EXPECT_EQ(readFile(local), c.replaced ? remote : "old copy");
    }
}
