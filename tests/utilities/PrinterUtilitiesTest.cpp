// The KIP printer utilities through real processes: a recording stand-in for
// kawpdft shows the command lines the wake-up sends, the real stand-in sends
// its magic packet to a UDP listener on loopback, the tool path file is read
// back with pugixml, "Read Media from Printer" fetches from the printer
// simulator, and zukip printer runs the same code.
#include "KIPPrinterUtilities.h"
#include "Platform/PlatformMessageBox.h"
#include "Platform/PlatformProcess.h"
#include "PrinterSimulator.h"
#include "RVLog.h"
#include "TempBaseFolder.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using U = KIPPrinterUtilities;

namespace {
const uint8_t kPrinter[4] = {10, 0, 0, 7};
const char* const kMac = "00:11:22:33:44:55";
// A stand-in for kawpdft that records each call in "calls.log" of its folder (each word ended
// by byte 0x1F, the call by 0x1E) and answers an address request with "mac.txt" of that folder.
const char* const kRecorder = R"(#!/bin/sh
printf '%s\037' "$0" "$@" >> calls.log; printf '\036' >> calls.log
[ "$1" = -M ] && [ -f mac.txt ] && cp mac.txt "$5"
exit 0
)";

// Sets an environment variable for one scope.
struct ScopedEnv {
    const char* name;
    ScopedEnv(const char* n, const std::string& value) : name(n) { setenv(n, value.c_str(), 1); }
    ~ScopedEnv() { unsetenv(name); }
};

// Runs program with the Windows-style argument text args and waits; its exit code, -1 when it did not start.
int run(const std::string& program, const std::string& args) {
    PlatformProcess process;
    if (!process.Start(program, "\"" + program + "\"" + args)) return -1;
    process.Wait(PlatformProcess::kInfinite);
    int code = -1;
    process.ExitCode(code);
    return code;
}

// A UDP socket on 127.0.0.1, port of the system's choosing, that the stand-in's wake-up calls go to.
struct UdpListener {
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in at = bound(fd);
    ScopedEnv address{"KAWPDFT_WAKE_ADDRESS", "127.0.0.1"};
    ScopedEnv port{"KAWPDFT_WAKE_PORT", std::to_string(ntohs(at.sin_port))};
    ~UdpListener() { close(fd); }
    // Binds socket to a loopback port of the system's choosing; the address it got.
    static sockaddr_in bound(int socket) {
        sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
        socklen_t size = sizeof address;
        bind(socket, reinterpret_cast<sockaddr*>(&address), size);
        getsockname(socket, reinterpret_cast<sockaddr*>(&address), &size);
        return address;
    }
    // The datagram waiting, if any (loopback delivers it before the sender returns).
    std::vector<uint8_t> waiting() const {
        std::vector<uint8_t> buffer(512);
        buffer.resize(size_t(std::max<ssize_t>(recv(fd, buffer.data(), buffer.size(), MSG_DONTWAIT), 0)));
        return buffer;
    }
};
}  // namespace

// A base folder and, in a folder whose name has a blank, the recording stand-in as "kawpdft".
class PrinterUtilities : public ::testing::Test {
protected:
    PrinterUtilities() { fs::permissions(base.write("KIP tools/kawpdft", kRecorder), fs::perms::owner_all); }
    // The recorded calls.
    std::vector<std::string> calls() const {
        std::vector<std::string> result;
        std::istringstream log(readFile(toolFolder / "calls.log"));
        for (std::string call; std::getline(log, call, '\x1e');) result.push_back(call);
        return result;
    }
    // A call of the recorder with these arguments, as recorded.
    std::string call(const std::vector<std::string>& args) const {
        std::string words = recorder + '\x1f';
        for (const std::string& word : args) words += word + '\x1f';
        return words;
    }
    std::string addressRequest() const { return call({"-M", "-i", "10.0.0.7", "\x96u", U::AddressFilePath().str()}); }
    // The neighbour table the stand-in looks addresses up in: 10.0.0.7 resolved, 10.0.0.9 not.
    ScopedEnv neighbourTable() {
        return {"KAWPDFT_NEIGHBOUR_TABLE", base.write("neighbours", "IP address HW type Flags HW address Mask Device\n"
                                                                  "10.0.0.7   0x1     0x2   00:11:22:33:44:55 * eth0\n"
                                                                  "10.0.0.9   0x1     0x0   00:00:00:00:00:00 * eth0\n")
                                           .string()};
    }

    TempBaseFolder base;
    fs::path toolFolder = base.path() / "KIP tools";
    std::string recorder = (toolFolder / "kawpdft").string();
};

// The recorded words below lose the quotes, which keep a path with blanks one word.
TEST(WakeUpCommandLine, QuotesTheAddressFileAfterTheEnDashByte) {
    const uint8_t address[4] = {192, 168, 0, 255};
    EXPECT_EQ(U::AddressRequest(address, "C:\\Base\\Temp\\MAC address.log").str(),
              " -M -i 192.168.0.255 \x96u \"C:\\Base\\Temp\\MAC address.log\"");
}

TEST_F(PrinterUtilities, WakeUpAsksForTheAddressThenWakesWithTheTextReadSilently) {
    struct Case {
        std::string tool;         // empty: the recording stand-in
        const char* toolWrites;   // what the tool writes into the address file; null: nothing
        const char* leftFile;     // an address file from an earlier call, or null
        U::WakeResult result;
        std::string wakeText;     // empty: no wake-up call
    };
    const std::string longText(250, 'A');
    const std::string garbage = base.write("KIP tools/garbage", "executable, but no program").string();
    fs::permissions(garbage, fs::perms::owner_all);
    const Case cases[] = {
        {"", "00-11-22-33-44-55\r\n", nullptr, U::wakeSent, "00-11-22-33-44-55\r\n"},
        {"", nullptr, kMac, U::wakeSent, kMac},                                // an earlier file is used
        {"", longText.c_str(), nullptr, U::wakeSent, longText.substr(0, 199)},  // 199 bytes are read
        {"", nullptr, nullptr, U::wakeNoAddress, ""},
        {(toolFolder / "missing").string(), nullptr, kMac, U::wakeToolNotStarted, ""},
        {garbage, nullptr, kMac, U::wakeToolNotStarted, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        for (const char* name : {"KIP tools/calls.log", "KIP tools/mac.txt", "Temp/MACaddress.log"})
            fs::remove(base.path() / name);
        if (c.toolWrites) base.write("KIP tools/mac.txt", c.toolWrites);
        if (c.leftFile) base.write("Temp/MACaddress.log", c.leftFile);
        const RVLogCapture log;
        testing::internal::CaptureStderr();
        EXPECT_EQ(U::WakeUpPrinter(c.tool.empty() ? recorder.c_str() : c.tool.c_str(), kPrinter), c.result);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_TRUE(log.messages().empty());
        std::vector<std::string> expected;
        if (c.tool.empty()) expected.push_back(addressRequest());
        if (!c.wakeText.empty()) expected.push_back(call({"-W", c.wakeText}));
        EXPECT_EQ(calls(), expected);
    }
    EXPECT_EQ(U::WakeUpPrinter("", kPrinter), U::wakeNoTool);
}

TEST_F(PrinterUtilities, ToolPathFileHoldsOnlyThePath) {
    const std::string path = "/opt/KIP & Co/\"kawpdft\" <1>";
    ASSERT_EQ(U::SaveToolPath(path.c_str()), 1);
    // Read back and written out again without layout: one element with one attribute, nothing else.
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file((base.temp() / "KIP_kawpdft.xml").c_str()));
    std::ostringstream file;
    doc.save(file, "", pugi::format_raw | pugi::format_no_declaration);
    EXPECT_EQ(file.str(), "<RootElement><kawpdft path=\"/opt/KIP &amp; Co/&quot;kawpdft&quot; &lt;1>\"/></RootElement>");
    AString loaded;
    ASSERT_EQ(U::LoadToolPath(loaded), 1);
    EXPECT_EQ(loaded.str(), path);

    fs::remove_all(base.temp());
    EXPECT_EQ(U::SaveToolPath("/opt/kip/kawpdft"), 0);
    EXPECT_EQ(U::LoadToolPath(loaded), 0);
    EXPECT_EQ(loaded.str(), path);
}

TEST_F(PrinterUtilities, StandInWakesThePrinterOverUdpAndChecksItsCommandLine) {
    const UdpListener listener;
    const ScopedEnv table = neighbourTable();
    ASSERT_EQ(U::WakeUpPrinter(KAWPDFT, kPrinter), U::wakeSent);
    EXPECT_EQ(readFile(U::AddressFilePath().str()), kMac);
    std::vector<uint8_t> expected(6, 0xFF);
    for (int copy = 0; copy < 16; ++copy) expected.insert(expected.end(), {0x00, 0x11, 0x22, 0x33, 0x44, 0x55});
    EXPECT_EQ(listener.waiting(), expected);

    const fs::path file = base.temp() / "mac address.log";
    const struct {
        std::string args;   // FILE stands for the quoted address file
        int exitCode;
        size_t packet;      // bytes sent to the listener
    } cases[] = {
        {" -M -u FILE -i 10.0.0.7", 0, 0},   // the driver's own form is seen above
        {" -W 00-11-22-33-44-55\r\n", 0, 102},
        {" -M -i 10.0.0.9 -u FILE", 1, 0},   // in the table, not resolved
        {" -M -i 10.0.0.300 -u FILE", 2, 0},
        {" -W 0g:11:22:33:44:55", 2, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        fs::remove(file);
        std::string args = c.args;
        if (const size_t at = args.find("FILE"); at != std::string::npos) args.replace(at, 4, "\"" + file.string() + "\"");
        EXPECT_EQ(run(KAWPDFT, args), c.exitCode);
        EXPECT_EQ(readFile(file), c.args.starts_with(" -M") && c.exitCode == 0 ? kMac : "");
        EXPECT_EQ(listener.waiting().size(), c.packet);
    }
    const ScopedEnv badPort("KAWPDFT_WAKE_PORT", "70000");
    EXPECT_EQ(run(KAWPDFT, " -W 00:11:22:33:44:55"), 1);
}

// "Read Media from Printer": what arrives, the second attempt in passive mode, the messages and
// log entries, and the old copy kept when nothing new came.
TEST_F(PrinterUtilities, ReadMediaFetchesTheInformationFileActiveThenPassive) {
    const char* const success = "Media table from printer read successfully.";
    const char* const report = "<the FTP report>";
    struct Case {
        const char* name;
        bool settings;                    // the FTP settings name the printer
        std::vector<std::string> printerOptions;
        int remoteBytes;                  // size of the printer's file; -1: the printer has none
        std::vector<std::string> boxes;   // report stands for the FTP failure's own report
        const char* logEntry;             // the start of a log entry expected; null: nothing logged
        bool replaced;                    // the local copy is the printer's file afterwards
    };
    const Case cases[] = {
        {"active", true, {}, 5000, {success}, nullptr, true},
        {"passive", true, {"--refuse-active"}, 5000, {report, success}, "Last error ", true},
        {"refused", true, {"--refuse-login"}, 5000, {report, report, "Exception open ftp"}, "Last error ", false},
        {"empty", true, {}, 0, {success}, "resSize 0 length 0", false},
        {"missing", true, {}, -1, {}, "CInternetFile *file=NULL", false},
        {"no settings", false, {}, 5000, {}, nullptr, false},   // nothing is asked of any printer
    };
    const fs::path local = U::InformationFilePath().str();
    for (const Case& c : cases) {
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
        EXPECT_EQ(U::ReadMediaFromPrinter(), !c.boxes.empty() && c.boxes.back() == success);
        std::vector<std::string> shown = boxes.texts();
        for (std::string& text : shown)
            if (text.starts_with("FTP ")) text = report;
        EXPECT_EQ(shown, c.boxes);
        const std::vector<std::string>& logged = log.messages();
        const auto startsEntry = [&](const std::string& m) { return m.starts_with(c.logEntry); };
        if (c.logEntry) EXPECT_TRUE(std::any_of(logged.begin(), logged.end(), startsEntry)) << c.logEntry;
        else EXPECT_TRUE(logged.empty());
        EXPECT_EQ(printer.commands().empty(), !c.settings);
        EXPECT_EQ(readFile(local), c.replaced ? remote : "old copy");
    }
}

TEST_F(PrinterUtilities, ZukipPrinterRunsTheSameUtilities) {
    const std::string baseOption = " --base \"" + base.path().string() + "\"";
    EXPECT_EQ(run(ZUKIP_PROGRAM, " printer wake --ip 10.0.0.7" + baseOption), 1);   // no tool chosen yet
    // The tool set is the one the wake-up then calls.
    ASSERT_EQ(run(ZUKIP_PROGRAM, " printer set-tool \"" + recorder + "\"" + baseOption), 0);
    base.write("KIP tools/mac.txt", kMac);
    ASSERT_EQ(run(ZUKIP_PROGRAM, " printer wake --ip 10.0.0.7" + baseOption), 0);
    EXPECT_EQ(calls(), (std::vector<std::string>{addressRequest(), call({"-W", kMac})}));

    for (const char* args : {" printer wake --ip 10.0.0.256", " printer set-tool", " printer frobnicate"})
        EXPECT_EQ(run(ZUKIP_PROGRAM, args + baseOption), 2) << args;
    EXPECT_EQ(run(ZUKIP_PROGRAM, " printer set-tool \"" + (toolFolder / "missing").string() + "\"" + baseOption), 1);

    const fs::path remote = base.write("IPSUnattend.Dat", "Roll1Media=Bond\r\nCustomMedia1=Film\r\n");
    PrinterSimulator printer(base.path() / "printer", {"--statinfo", remote.string()});
    printer.writeSettings(base.path());
    ASSERT_EQ(run(ZUKIP_PROGRAM, " printer read-media" + baseOption), 0);
    EXPECT_EQ(readFile(U::InformationFilePath().str()), readFile(remote));
}
