#pragma once
// The system's neighbour table as Linux shows it in /proc/net/arp: which
// hardware (MAC) address answers for an IPv4 address on the local network.
#include <netinet/in.h>
#include <string>

class NeighbourTable {
public:
    // The table in file (the /proc/net/arp format: a heading line, then "IP address, HW type,
    // Flags, HW address, Mask, Device" per line).
    explicit NeighbourTable(std::string file) : file_(std::move(file)) {}

    // The MAC address text of a complete entry for address; empty when there is none or the
    // table cannot be read.
    std::string Find(const in_addr& address) const;

private:
    std::string file_;
};
