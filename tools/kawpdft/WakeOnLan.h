#pragma once
// Wake-on-LAN: the "magic packet" that wakes a sleeping network device, six
// bytes 0xFF followed by sixteen copies of the device's MAC address, sent as
// one UDP datagram.
#include <array>
#include <cstdint>
#include <string>

class WakeOnLan {
public:
    using Mac = std::array<uint8_t, 6>;
    static constexpr size_t kPacketSize = 6 + 16 * 6;

    // Reads a MAC address written as six hexadecimal pairs separated by ':' or '-', or as twelve
    // hexadecimal digits; blanks and line ends around it are ignored. False when text is none.
    static bool ParseMac(const std::string& text, Mac& mac);
    // The magic packet for mac.
    static std::array<uint8_t, kPacketSize> Packet(const Mac& mac);
    // Sends the magic packet for mac to host (an IPv4 address, broadcast allowed) and port; on
    // failure returns false with error saying why.
    static bool Send(const Mac& mac, const std::string& host, uint16_t port, std::string& error);
};
