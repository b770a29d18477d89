#include "NeighbourTable.h"

#include <arpa/inet.h>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {
// The kernel's flag of a resolved entry (ATF_COM); entries still being resolved lack it.
constexpr unsigned long kComplete = 0x2;
}  // namespace

std::string NeighbourTable::Find(const in_addr& address) const {
    std::ifstream in(file_);
    std::string line;
    std::getline(in, line);   // the heading
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string ip, type, flags, mac;
        if (!(fields >> ip >> type >> flags >> mac)) continue;
        in_addr entry{};
        if (inet_pton(AF_INET, ip.c_str(), &entry) != 1 || entry.s_addr != address.s_addr) continue;
        if (std::strtoul(flags.c_str(), nullptr, 16) & kComplete) return mac;
    }
    return std::string();
}
