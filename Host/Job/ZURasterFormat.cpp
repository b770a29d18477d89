#include "ZURasterFormat.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace ZURasterFormat {

uint32_t Crc32(const uint8_t* data, size_t size) {
    // zlib's CRC-32 is the same checksum; it takes the data in 32-bit pieces.
    uLong crc = crc32(0L, Z_NULL, 0);
    while (size > 0) {
        const auto piece = static_cast<uInt>(std::min<size_t>(size, 1u << 30));
        crc = crc32(crc, data, piece);
        data += piece;
        size -= piece;
    }
    return static_cast<uint32_t>(crc);
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
