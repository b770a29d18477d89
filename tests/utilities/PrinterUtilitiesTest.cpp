// The KIP printer utilities through real processes: a recording stand-in for
// kawpdft shows the command lines the wake-up sends, the real stand-in sends
// its magic packet to a UDP listener on loopback, the tool path file is read
// back with pugixml, and zukip printer runs the same code.
#include "KIPPrinterUtilities.h"
#include "Platform/PlatformProcess.h"
#include "RVLog.h"
#include "TempBaseFolder.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using U = KIPPrinterUtilities;
using Words = std::vector<std::string>;

namespace {
const uint8_t kPrinter[4] = {10, 0, 0, 7};
const char* const kNeighbours =
    "IP address       HW type     Flags       HW address            Mask     Device\n"
    "10.0.0.7         0x1         0x2         00:11:22:33:44:55     *        eth0\n"
    "10.0.0.9         0x1         0x0         00:00:00:00:00:00     *        eth0\n";

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

// A UDP socket on 127.0.0.1 with a port of the system's choosing.
struct UdpListener {
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    uint16_t port = 0;
    UdpListener() {
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof at;
        if (bind(fd, reinterpret_cast<sockaddr*>(&at), size) == 0 &&
            getsockname(fd, reinterpret_cast<sockaddr*>(&at), &size) == 0)
            port = ntohs(at.sin_port);
    }
    ~UdpListener() { close(fd); }
    // The datagram waiting, if any (loopback delivers before the sender returns).
    std::vector<uint8_t> waiting() const {
        std::vector<uint8_t> buffer(512);
        const ssize_t n = recv(fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
        buffer.resize(n < 0 ? 0 : size_t(n));
        return buffer;
    }
};
}  // namespace

// A base folder and, in a folder whose name has a blank, the recording stand-in as "kawpdft".
class PrinterUtilities : public ::testing::Test {
protected:
    PrinterUtilities() : toolFolder(base.path() / "KIP tools"), recorder((toolFolder / "kawpdft").string()) {
        fs::create_directories(toolFolder);
        fs::copy_file(RECORDING_TOOL, recorder);
    }
    // The recorded calls, each the argument vector.
    std::vector<Words> calls() const {
        std::vector<Words> result;
        const std::string log = readFile(toolFolder / "calls.log");
        for (size_t at = 0, end; (end = log.find('\x1e', at)) != std::string::npos; at = end + 1) {
            Words words;
            for (size_t w = at, z; w < end && (z = log.find('\0', w)) < end; w = z + 1) words.push_back(log.substr(w, z - w));
            result.push_back(words);
        }
        return result;
    }
    void forget() const {
        for (const fs::path& p : {toolFolder / "calls.log", toolFolder / "mac.txt", fs::path(U::AddressFilePath().str())})
            fs::remove(p);
    }
    Words addressRequest() const { return {recorder, "-M", "-i", "10.0.0.7", "\x96u", U::AddressFilePath().str()}; }

    TempBaseFolder base;
    fs::path toolFolder;
    std::string recorder;
};

TEST_F(PrinterUtilities, CommandLinesAreByteExact) {
    const uint8_t address[4] = {192, 168, 0, 255};
    EXPECT_EQ(U::AddressRequest(address, "C:\\Base\\Temp\\MACaddress.log").str(),
              " -M -i 192.168.0.255 \x96u \"C:\\Base\\Temp\\MACaddress.log\"");
    EXPECT_EQ(U::WakeUpCall("00-11-22-33-44-55\r\n").str(), " -W 00-11-22-33-44-55\r\n");
    EXPECT_EQ(U::AddressFilePath().str(), (base.temp() / "MACaddress.log").string());
}

TEST_F(PrinterUtilities, WakeUpAsksForTheAddressThenWakesWithTheTextRead) {
    struct Case {
        const char* name;
        const char* toolWrites;   // null: the tool leaves the address file alone
        const char* leftFile;     // an address file from an earlier call, or null
        U::WakeResult result;
        std::string wakeText;     // empty: no wake-up call
    };
    const std::string longText(250, 'A');
    const Case cases[] = {
        {"the tool answers", "00-11-22-33-44-55\r\n", nullptr, U::wakeSent, "00-11-22-33-44-55\r\n"},
        {"an earlier file is used", nullptr, "AA:BB:CC:DD:EE:FF", U::wakeSent, "AA:BB:CC:DD:EE:FF"},
        {"no address file", nullptr, nullptr, U::wakeNoAddress, ""},
        {"an empty address file", nullptr, "", U::wakeNoAddress, ""},
        {"only 199 bytes are read", longText.c_str(), nullptr, U::wakeSent, longText.substr(0, 199)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        forget();
        if (c.toolWrites) base.write("KIP tools/mac.txt", c.toolWrites);
        if (c.leftFile) base.write("Temp/MACaddress.log", c.leftFile);
        RVLogCapture log;
        testing::internal::CaptureStderr();
        EXPECT_EQ(U::WakeUpPrinter(recorder.c_str(), kPrinter), c.result);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_TRUE(log.messages().empty());
        std::vector<Words> expected = {addressRequest()};
        if (!c.wakeText.empty()) expected.push_back({recorder, "-W", c.wakeText});
        EXPECT_EQ(calls(), expected);
    }
}

TEST_F(PrinterUtilities, ToolThatCannotStartEndsSilently) {
    const fs::path text = base.write("KIP tools/readme.txt", "not a program");
    const fs::path script = base.write("KIP tools/script", "no interpreter line\n");
    fs::permissions(script, fs::perms::owner_exec, fs::perm_options::add);
    struct Case {
        std::string tool;
        U::WakeResult result;
    };
    const Case cases[] = {{(toolFolder / "missing").string(), U::wakeToolNotStarted},
                          {text.string(), U::wakeToolNotStarted},
                          {script.string(), U::wakeToolNotStarted},
                          {toolFolder.string(), U::wakeToolNotStarted},
                          {"", U::wakeNoTool}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tool);
        RVLogCapture log;
        testing::internal::CaptureStderr();
        EXPECT_EQ(U::WakeUpPrinter(c.tool.c_str(), kPrinter), c.result);
        if (!c.tool.empty()) {
            EXPECT_EQ(U::RunTool(c.tool.c_str(), " -W 00-11-22-33-44-55"), 0);
        }
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_TRUE(log.messages().empty());
        EXPECT_FALSE(fs::exists(U::AddressFilePath().str()));
    }
}

TEST_F(PrinterUtilities, ToolPathFileHoldsOnlyThePath) {
    const std::string path = "/opt/KIP & Co/\"kawpdft\" <1>";
    ASSERT_EQ(U::SaveToolPath(path.c_str()), 1);
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_file((base.temp() / "KIP_kawpdft.xml").c_str()));
    const pugi::xml_node root = doc.document_element();
    EXPECT_STREQ(root.name(), "RootElement");
    EXPECT_EQ(std::distance(root.begin(), root.end()), 1);
    const pugi::xml_node tool = root.child("kawpdft");
    EXPECT_EQ(std::distance(tool.attributes_begin(), tool.attributes_end()), 1);
    EXPECT_EQ(tool.attribute("path").value(), path);
    EXPECT_TRUE(tool.first_child().empty());
    AString loaded;
    ASSERT_EQ(U::LoadToolPath(loaded), 1);
    EXPECT_EQ(loaded.str(), path);

    fs::remove_all(base.temp());
    EXPECT_EQ(U::SaveToolPath("/opt/kip/kawpdft"), 0);
    EXPECT_EQ(U::LoadToolPath(loaded), 0);
    EXPECT_EQ(loaded.str(), path);
}

TEST_F(PrinterUtilities, StandInWakesThePrinterOverUdp) {
    const UdpListener listener;
    ASSERT_NE(listener.port, 0);
    const ScopedEnv table("KAWPDFT_NEIGHBOUR_TABLE", base.write("neighbours", kNeighbours).string());
    const ScopedEnv host("KAWPDFT_WAKE_ADDRESS", "127.0.0.1");
    const ScopedEnv port("KAWPDFT_WAKE_PORT", std::to_string(listener.port));
    ASSERT_EQ(U::WakeUpPrinter(KAWPDFT, kPrinter), U::wakeSent);
    EXPECT_EQ(readFile(U::AddressFilePath().str()), "00:11:22:33:44:55");
    std::vector<uint8_t> expected(6, 0xFF);
    for (int copy = 0; copy < 16; ++copy) expected.insert(expected.end(), {0x00, 0x11, 0x22, 0x33, 0x44, 0x55});
    EXPECT_EQ(listener.waiting(), expected);
}

TEST_F(PrinterUtilities, StandInCommandLines) {
    const UdpListener listener;
    const ScopedEnv table("KAWPDFT_NEIGHBOUR_TABLE", base.write("neighbours", kNeighbours).string());
    const ScopedEnv host("KAWPDFT_WAKE_ADDRESS", "127.0.0.1");
    const ScopedEnv port("KAWPDFT_WAKE_PORT", std::to_string(listener.port));
    const fs::path file = base.temp() / "mac address.log";
    struct Case {
        std::string args;   // FILE stands for the quoted address file
        int exitCode;
        bool writesFile;
    };
    const Case cases[] = {
        {" -M -i 10.0.0.7 \x96u FILE", 0, true},
        {" -M -i 10.0.0.7 \xE2\x80\x93u FILE", 0, true},
        {" -M -u FILE -i 10.0.0.7", 0, true},
        {" -W 00-11-22-33-44-55\r\n", 0, false},
        {" -W 001122334455", 0, false},
        {" -M -i 10.0.0.8 -u FILE", 1, false},   // not in the table
        {" -M -i 10.0.0.9 -u FILE", 1, false},   // not resolved
        {" -M -i 10.0.0.300 -u FILE", 2, false},
        {" -M -i 10.0.0.7", 2, false},
        {" -M -i 10.0.0.7 -u", 2, false},
        {"", 2, false},
        {" -W", 2, false},
        {" -W 00:11:22:33:44", 2, false},
        {" -W 0g:11:22:33:44:55", 2, false},
        {" -W 00:11:22:33:44:55 -M -i 10.0.0.7 -u FILE", 2, false},
        {" -x", 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        fs::remove(file);
        std::string args = c.args;
        if (const size_t at = args.find("FILE"); at != std::string::npos) args.replace(at, 4, "\"" + file.string() + "\"");
        EXPECT_EQ(run(KAWPDFT, args), c.exitCode);
        EXPECT_EQ(fs::exists(file), c.writesFile);
        if (c.writesFile) {
            EXPECT_EQ(readFile(file), "00:11:22:33:44:55");
        }
        EXPECT_EQ(listener.waiting().size(), c.args.starts_with(" -W") && c.exitCode == 0 ? 102u : 0u);
    }
    const ScopedEnv badPort("KAWPDFT_WAKE_PORT", "70000");
    EXPECT_EQ(run(KAWPDFT, " -W 00:11:22:33:44:55"), 1);
}

TEST_F(PrinterUtilities, ZukipPrinterRunsTheSameUtilities) {
    const std::string baseOption = " --base \"" + base.path().string() + "\"";
    EXPECT_EQ(run(ZUKIP_PROGRAM, " printer wake --ip 10.0.0.7" + baseOption), 1);   // no tool chosen yet
    ASSERT_EQ(run(ZUKIP_PROGRAM, " printer set-tool \"" + recorder + "\"" + baseOption), 0);
    AString tool;
    ASSERT_EQ(U::LoadToolPath(tool), 1);
    EXPECT_EQ(tool.str(), recorder);

    base.write("KIP tools/mac.txt", "00-11-22-33-44-55");
    ASSERT_EQ(run(ZUKIP_PROGRAM, " printer wake --ip 10.0.0.7" + baseOption), 0);
    EXPECT_EQ(calls(), (std::vector<Words>{addressRequest(), {recorder, "-W", "00-11-22-33-44-55"}}));
    fs::remove(toolFolder / "mac.txt");
    fs::remove(U::AddressFilePath().str());
    EXPECT_EQ(run(ZUKIP_PROGRAM, " printer wake --ip 10.0.0.7" + baseOption), 1);   // no address came back

    for (const char* args : {" printer wake --ip 10.0.0", " printer wake --ip 10.0.0.256", " printer wake --ip 1..2.3",
                             " printer wake", " printer set-tool", " printer frobnicate", " printer"})
        EXPECT_EQ(run(ZUKIP_PROGRAM, args + baseOption), 2) << args;
    EXPECT_EQ(run(ZUKIP_PROGRAM, " printer set-tool \"" + (toolFolder / "missing").string() + "\"" + baseOption), 1);
}
