#include "ZURasterFormat.h"

#include <array>
#include <cstring>

namespace ZURasterFormat {

namespace {

std::array<uint32_t, 256> MakeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}

const std::array<uint32_t, 256> kCrcTable = MakeCrcTable();

}  // namespace

uint32_t Crc32(const uint8_t* data, size_t size) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) c = kCrcTable[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void PutEntry(uint8_t* p, const LineEntry& e) {
    Put64(p, e.offset);
    Put32(p + 8, e.length);
    Put32(p + 12, e.crc);
}

LineEntry GetEntry(const uint8_t* p) {
    return LineEntry{Get64(p), Get32(p + 8), Get32(p + 12)};
}

void PutHeader(uint8_t* p, const Header& h) {
    std::memcpy(p, kMagic, 4);
    Put16(p + 4, kVersion);
    Put16(p + 6, kHeaderSize);
    Put32(p + 8, h.pageCount);
    Put32(p + 12, 0);
    Put64(p + 16, h.directoryOffset);
    Put64(p + 24, h.directorySize);
    Put32(p + 32, h.directoryCrc);
    Put32(p + 36, Crc32(p, 36));
}

bool GetHeader(const uint8_t* p, Header& h) {
    if (std::memcmp(p, kMagic, 4) != 0 || Get16(p + 4) != kVersion || Get16(p + 6) != kHeaderSize ||
        Get32(p + 12) != 0 || Get32(p + 36) != Crc32(p, 36))
        return false;
    h.pageCount = Get32(p + 8);
    h.directoryOffset = Get64(p + 16);
    h.directorySize = Get64(p + 24);
    h.directoryCrc = Get32(p + 32);
    return true;
}

}  // namespace ZURasterFormat
