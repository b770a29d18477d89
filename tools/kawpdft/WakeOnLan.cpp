#include "WakeOnLan.h"

#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = char(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

std::string trimmed(const std::string& text) {
    const char* blanks = " \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}
}  // namespace

bool WakeOnLan::ParseMac(const std::string& text, Mac& mac) {
    const std::string s = trimmed(text);
    const bool separated = s.size() == 17;
    if (!separated && s.size() != 12) return false;
    const size_t step = separated ? 3 : 2;
    for (size_t i = 0; i < mac.size(); ++i) {
        const size_t at = i * step;
        if (separated && i > 0 && s[at - 1] != ':' && s[at - 1] != '-') return false;
        const int high = hexValue(s[at]), low = hexValue(s[at + 1]);
        if (high < 0 || low < 0) return false;
        mac[i] = uint8_t(high << 4 | low);
    }
    return true;
}

std::array<uint8_t, WakeOnLan::kPacketSize> WakeOnLan::Packet(const Mac& mac) {
    std::array<uint8_t, kPacketSize> packet;
    std::memset(packet.data(), 0xFF, 6);
    for (size_t copy = 0; copy < 16; ++copy) std::memcpy(packet.data() + 6 + copy * mac.size(), mac.data(), mac.size());
    return packet;
}

bool WakeOnLan::Send(const Mac& mac, const std::string& host, uint16_t port, std::string& error) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    if (inet_pton(AF_INET, host.c_str(), &to.sin_addr) != 1) {
        error = "not an IPv4 address: " + host;
        return false;
    }
    const int s = socket(AF_INET, SOCK_DGRAM, 0);
    if (s < 0) {
        error = std::string("cannot open a UDP socket: ") + std::strerror(errno);
        return false;
    }
    const int on = 1;
    const auto packet = Packet(mac);
    const bool sent = setsockopt(s, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) == 0 &&
                      sendto(s, packet.data(), packet.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to) ==
                          ssize_t(packet.size());
    if (!sent) error = "cannot send to " + host + ":" + std::to_string(port) + ": " + std::strerror(errno);
    close(s);
    return sent;
}
