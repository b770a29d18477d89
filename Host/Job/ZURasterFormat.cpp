#include "ZURasterFormat.h"

#include <array>
#include <cstring>

namespace ZURasterFormat {

namespace {

// Eight tables let the CRC take eight bytes per step ("slicing by 8"); every
// line read is checked, so this is on the hot path.
using CrcTables = std::array<std::array<uint32_t, 256>, 8>;

CrcTables MakeCrcTables() {
    CrcTables t{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[0][i] = c;
    }
    for (uint32_t i = 0; i < 256; ++i)
        for (size_t k = 1; k < 8; ++k) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
    return t;
}

const CrcTables kCrc = MakeCrcTables();

}  // namespace

uint32_t Crc32(const uint8_t* data, size_t size) {
    uint32_t c = 0xFFFFFFFFu;
    for (; size >= 8; data += 8, size -= 8) {
        const uint32_t lo = c ^ Get32(data);
        const uint32_t hi = Get32(data + 4);
        c = kCrc[7][lo & 0xFF] ^ kCrc[6][(lo >> 8) & 0xFF] ^ kCrc[5][(lo >> 16) & 0xFF] ^ kCrc[4][lo >> 24] ^
            kCrc[3][hi & 0xFF] ^ kCrc[2][(hi >> 8) & 0xFF] ^ kCrc[1][(hi >> 16) & 0xFF] ^ kCrc[0][hi >> 24];
    }
    for (; size > 0; ++data, --size) c = kCrc[0][(c ^ *data) & 0xFF] ^ (c >> 8);
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
