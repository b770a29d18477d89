#pragma once
// Layout constants, caps and byte helpers of the raster job file, shared by
// ZURasterWriter and ZUJob. docs/raster-format.md is the description of record.
#include "ZUPackBits.h"

#include <cstddef>
#include <cstdint>

namespace ZURasterFormat {

inline constexpr uint8_t kMagic[4] = {'Z', 'R', 'S', 0x1A};
inline constexpr uint16_t kVersion = 1;
inline constexpr uint32_t kHeaderSize = 40;
inline constexpr uint32_t kIndexEntrySize = 16;     // offset u64, stored length u32, CRC-32 u32

// Caps that keep every allocation bounded; a file beyond them is refused.
inline constexpr int kMaxWidth = 262144;
inline constexpr int kMaxHeight = 262144;
inline constexpr int kMaxPlanes = 16;
inline constexpr int kMaxTiles = 1024;
inline constexpr uint32_t kMaxPages = 65536;
inline constexpr uint64_t kMaxDirectorySize = 16u << 20;
inline constexpr int kMaxNameLength = 255;

enum PageKind : uint8_t { kImagePage = 1, kTiledPage = 2 };

inline bool IsValidDepth(int depth) { return depth == 1 || depth == 2 || depth == 8; }
// Bytes of one unpacked line.
inline size_t LineBytes(int depth, int width) {
    return (static_cast<size_t>(depth) * static_cast<size_t>(width) + 7) / 8;
}
// Largest stored size of a packed line of `lineBytes` bytes.
inline size_t MaxPackedSize(size_t lineBytes) { return ZUPackBits::MaxPackedSize(lineBytes); }

uint32_t Crc32(const uint8_t* data, size_t size);   // CRC-32 (ISO-HDLC, as zip and PNG use)

inline void Put16(uint8_t* p, uint16_t v) { p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); }
inline void Put32(uint8_t* p, uint32_t v) { for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i)); }
inline void Put64(uint8_t* p, uint64_t v) { for (int i = 0; i < 8; ++i) p[i] = uint8_t(v >> (8 * i)); }
inline uint16_t Get16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t Get32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline uint64_t Get64(const uint8_t* p) { return uint64_t(Get32(p)) | (uint64_t(Get32(p + 4)) << 32); }

// One line's entry in an image's line index.
struct LineEntry {
    uint64_t offset = 0;
    uint32_t length = 0;   // 0 only in the writer, for a line not yet written
    uint32_t crc = 0;
};
void PutEntry(uint8_t* p, const LineEntry& e);
LineEntry GetEntry(const uint8_t* p);

// The 40-byte file header.
struct Header {
    uint32_t pageCount = 0;
    uint64_t directoryOffset = 0;
    uint64_t directorySize = 0;
    uint32_t directoryCrc = 0;
};
void PutHeader(uint8_t* p, const Header& h);
bool GetHeader(const uint8_t* p, Header& h);   // false on wrong magic, version, size, flags or CRC

}  // namespace ZURasterFormat
