#include "ThumbnailWriter.h"

#include <algorithm>
#include <strings.h>

namespace {

void put16(std::vector<uint8_t>& b, size_t at, uint32_t v) { b[at] = uint8_t(v); b[at + 1] = uint8_t(v >> 8); }
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

// Ink of a plane at (x, y) as 0..255.
unsigned inkAt(const RasterPlane& plane, uint32_t x, uint32_t y) {
    const uint8_t* row = plane.row(y);
    if (plane.depth == 8) return row[x];
    return (row[x / 8] & (0x80 >> (x % 8))) ? 255 : 0;
}

// Index 0..3 for Cyan, Magenta, Yellow, Black; -1 for other planes.
int processIndex(const std::string& name) {
    static const char* const kNames[4] = {"Cyan", "Magenta", "Yellow", "Black"};
    for (int i = 0; i < 4; ++i)
        if (strcasecmp(name.c_str(), kNames[i]) == 0) return i;
    return -1;
}

}  // namespace

std::vector<uint8_t> ThumbnailWriter::encode(const RasterPage& page) {
    const uint32_t srcW = std::max<uint32_t>(page.width, 1), srcH = std::max<uint32_t>(page.height, 1);
    const uint32_t longest = std::max(srcW, srcH);
    const uint32_t w = longest <= kMaxSide ? srcW : std::max<uint32_t>(1, uint32_t(uint64_t(srcW) * kMaxSide / longest));
    const uint32_t h = longest <= kMaxSide ? srcH : std::max<uint32_t>(1, uint32_t(uint64_t(srcH) * kMaxSide / longest));
    const uint32_t stride = (3 * w + 3) / 4 * 4;
    const uint32_t headerSize = 14 + 40;
    std::vector<uint8_t> bmp(headerSize + size_t(stride) * h, 0);
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(bmp, 2, uint32_t(bmp.size()));
    put32(bmp, 10, headerSize);
    put32(bmp, 14, 40);
    put32(bmp, 18, w);
    put32(bmp, 22, h);
    put16(bmp, 26, 1);
    put16(bmp, 28, 24);
    put32(bmp, 34, uint32_t(size_t(stride) * h));
    put32(bmp, 38, 2835);   // 72 dpi
    put32(bmp, 42, 2835);

    const bool hasPixels = page.width > 0 && page.height > 0;
    for (uint32_t ty = 0; ty < h; ++ty) {
        // BMP rows run bottom-up.
        uint8_t* out = bmp.data() + headerSize + size_t(stride) * (h - 1 - ty);
        for (uint32_t tx = 0; tx < w; ++tx) {
            unsigned ink[4] = {0, 0, 0, 0};
            if (hasPixels) {
                const uint32_t x = uint32_t(uint64_t(tx) * page.width / w);
                const uint32_t y = uint32_t(uint64_t(ty) * page.height / h);
                for (const RasterPlane& plane : page.planes) {
                    const int i = processIndex(plane.name);
                    if (i >= 0) ink[i] = inkAt(plane, x, y);
                }
            }
            const unsigned k = ink[3];
            out[3 * tx + 0] = uint8_t(255 - std::min(255u, ink[2] + k));   // blue
            out[3 * tx + 1] = uint8_t(255 - std::min(255u, ink[1] + k));   // green
            out[3 * tx + 2] = uint8_t(255 - std::min(255u, ink[0] + k));   // red
        }
    }
    return bmp;
}
