#include "OrderedDither.h"

#include <array>
#include <cstring>

namespace {

// Bayer index of (x, y) in a 16 x 16 matrix, built by interleaving the bits
// of x XOR y and y (most significant level first): 0..255, each value once.
constexpr std::array<uint8_t, 256> makeMatrix() {
    std::array<uint8_t, 256> m{};
    for (unsigned y = 0; y < 16; ++y)
        for (unsigned x = 0; x < 16; ++x) {
            const unsigned a = x ^ y;
            unsigned v = 0;
            for (int bit = 0; bit < 4; ++bit) {
                v |= ((a >> bit) & 1u) << (2 * (3 - bit) + 1);
                v |= ((y >> bit) & 1u) << (2 * (3 - bit));
            }
            // The centre of cell v on the 0..255 ink scale (0..254): ink 255 exceeds every threshold, ink 0 none,
            // and ink v sets about v * 256 / 255 of the 256 cells.
            m[16 * y + x] = uint8_t((2 * v + 1) * 255 / 512);
        }
    return m;
}

constexpr std::array<uint8_t, 256> kMatrix = makeMatrix();

}  // namespace

uint8_t OrderedDither::threshold(uint32_t x, uint32_t y) { return kMatrix[16 * (y % 16) + x % 16]; }

void OrderedDither::ditherRow(const uint8_t* ink, uint32_t width, uint32_t y, uint8_t* out) {
    std::memset(out, 0, packedRowBytes(1, width));
    const uint8_t* thresholds = &kMatrix[16 * (y % 16)];
    for (uint32_t x = 0; x < width; ++x)
        if (ink[x] > thresholds[x % 16]) out[x / 8] |= uint8_t(0x80 >> (x % 8));
}
