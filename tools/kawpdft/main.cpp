// kawpdft: our stand-in for KIP's command-line tool of that name, which the
// driver's "Wake up printer" starts twice:
//   kawpdft -M -i A.B.C.D –u "FILE"   writes the MAC address of the printer at
//                                     A.B.C.D into FILE (the dash before u may
//                                     be byte 0x96, a UTF-8 en dash or '-')
//   kawpdft -W MAC                    wakes the printer with MAC up by sending a
//                                     Wake-on-LAN magic packet
// The address comes from the system's neighbour table, /proc/net/arp, or from
// a file of the same format named by KAWPDFT_NEIGHBOUR_TABLE. The magic packet
// goes to 255.255.255.255 port 9 unless KAWPDFT_WAKE_ADDRESS and
// KAWPDFT_WAKE_PORT name another address and port.
#include "NeighbourTable.h"
#include "WakeOnLan.h"

#include <arpa/inet.h>
#include <cstdio>
#include <cstdlib>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {
const char* const kSystemTable = "/proc/net/arp";
const char* const kDefaultWakeAddress = "255.255.255.255";
constexpr long kDefaultWakePort = 9;   // the discard port, the usual one for magic packets
// When the system has no entry yet, a datagram to the printer makes the
// kernel resolve its address; the table is read again this often, 100 ms apart.
constexpr int kResolveChecks = 20;

constexpr int kFailed = 1;
constexpr int kUsage = 2;

struct Request {
    bool address = false;   // -M
    bool wake = false;      // -W
    std::string ip, file, mac;
};

int usage(const std::string& problem) {
    std::fprintf(stderr,
                 "kawpdft: %s\n"
                 "Usage: kawpdft -M -i A.B.C.D -u FILE   write the printer's MAC address into FILE\n"
                 "       kawpdft -W MAC                  send a Wake-on-LAN packet to MAC\n",
                 problem.c_str());
    return kUsage;
}

int failure(const std::string& problem) {
    std::fprintf(stderr, "kawpdft: %s\n", problem.c_str());
    return kFailed;
}

// The switch before the address file: "-u" with byte 0x96 (Windows-1252), a UTF-8 en dash or a hyphen.
bool isFileSwitch(const std::string& arg) { return arg == "\x96u" || arg == "\xE2\x80\x93u" || arg == "-u"; }

// The field of request that the switch arg takes its value into; null for any other argument.
std::string* valueOf(const std::string& arg, Request& request) {
    if (arg == "-W") return &request.mac;
    if (arg == "-i") return &request.ip;
    if (isFileSwitch(arg)) return &request.file;
    return nullptr;
}

// Reads the command line into request; an empty text when it is complete, else what is wrong.
std::string parse(const std::vector<std::string>& args, Request& request) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-M") {
            request.address = true;
            continue;
        }
        std::string* value = valueOf(arg, request);
        if (!value) return "unknown argument \"" + arg + "\"";
        if (i + 1 == args.size()) return arg + " needs a value";
        *value = args[++i];
        if (arg == "-W") request.wake = true;
    }
    if (request.address == request.wake) return "give either -M or -W";
    if (request.address && (request.ip.empty() || request.file.empty())) return "-M needs -i ADDRESS and -u FILE";
    return std::string();
}

void pause100ms() {
    timespec pause{0, 100 * 1000000L};
    nanosleep(&pause, nullptr);
}

// Makes the kernel look the address up (an ARP request) by sending it one empty datagram.
void provokeResolution(const in_addr& address) {
    const int s = socket(AF_INET, SOCK_DGRAM, 0);
    if (s < 0) return;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(kDefaultWakePort);
    to.sin_addr = address;
    sendto(s, "", 0, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    close(s);
}

std::string lookUp(const in_addr& address) {
    if (const char* table = std::getenv("KAWPDFT_NEIGHBOUR_TABLE"); table && *table)
        return NeighbourTable(table).Find(address);
    const NeighbourTable system(kSystemTable);
    std::string mac = system.Find(address);
    if (!mac.empty()) return mac;
    provokeResolution(address);
    for (int check = 0; check < kResolveChecks && mac.empty(); ++check) {
        pause100ms();
        mac = system.Find(address);
    }
    return mac;
}

int writeAddress(const Request& request) {
    in_addr address{};
    if (inet_pton(AF_INET, request.ip.c_str(), &address) != 1) return usage("not an IPv4 address: " + request.ip);
    const std::string mac = lookUp(address);
    if (mac.empty()) return failure("no MAC address known for " + request.ip);
    std::FILE* out = std::fopen(request.file.c_str(), "wb");
    if (!out) return failure("cannot write " + request.file);
    const bool written = std::fwrite(mac.data(), 1, mac.size(), out) == mac.size();
    if (std::fclose(out) != 0 || !written) return failure("cannot write " + request.file);
    return 0;
}

int wake(const Request& request) {
    WakeOnLan::Mac mac{};
    if (!WakeOnLan::ParseMac(request.mac, mac)) return usage("not a MAC address: " + request.mac);
    const char* host = std::getenv("KAWPDFT_WAKE_ADDRESS");
    const char* portText = std::getenv("KAWPDFT_WAKE_PORT");
    long port = kDefaultWakePort;
    if (portText && *portText) {
        char* end = nullptr;
        port = std::strtol(portText, &end, 10);
        if (*end || port < 1 || port > 65535) return failure(std::string("KAWPDFT_WAKE_PORT is no port: ") + portText);
    }
    std::string error;
    if (!WakeOnLan::Send(mac, host && *host ? host : kDefaultWakeAddress, uint16_t(port), error)) return failure(error);
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    Request request;
    const std::string problem = parse(std::vector<std::string>(argv + 1, argv + argc), request);
    if (!problem.empty()) return usage(problem);
    return request.address ? writeAddress(request) : wake(request);
}
