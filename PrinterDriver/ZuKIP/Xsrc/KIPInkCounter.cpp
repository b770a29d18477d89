#include "KIPInkCounter.h"

#include <array>
#include <bit>
#include <cstring>

namespace {
constexpr double kTwoBitLevels[4] = {0.0, 0.25, 0.75, 1.0};

// Per-byte ink of the multi-bit depths, so that a line costs one lookup per byte.
constexpr std::array<double, 256> twoBitTable() {
    std::array<double, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[b] = kTwoBitLevels[(b >> 6) & 3] + kTwoBitLevels[(b >> 4) & 3] + kTwoBitLevels[(b >> 2) & 3] +
                   kTwoBitLevels[b & 3];
    return table;
}

constexpr std::array<double, 256> eightBitTable() {
    std::array<double, 256> table{};
    // Whole percent first: the controller's coverage figures have always been counted this way.
    for (int b = 0; b < 256; ++b) table[b] = (b * 100 / 255) / 100.0;
    return table;
}

constexpr std::array<double, 256> kTwoBitInk = twoBitTable();
constexpr std::array<double, 256> kEightBitInk = eightBitTable();

void addFromTable(double& counter, const std::array<double, 256>& table, const uint8_t* data, size_t bytes) {
    for (size_t i = 0; i < bytes; ++i) counter += table[data[i]];
}
}  // namespace

int KIPInkCounter::InkOf(const char* colorantName) {
    static const char* const kNames[kInkCount] = {"Cyan", "Magenta", "Yellow", "Black"};
    if (!colorantName) return -1;
    for (int ink = 0; ink < kInkCount; ++ink)
        if (std::strcmp(colorantName, kNames[ink]) == 0) return ink;
    return -1;
}

void KIPInkCounter::Count(int ink, const uint8_t* data, size_t bytes, int bitsPerPixel) {
    if (ink < 0 || ink >= kInkCount || !data) return;
    double& counter = counters[ink];
    switch (bitsPerPixel) {
    case 1: {
        // Exact as an integer; one addition per line keeps the sum exact too.
        uint64_t bits = 0;
        for (size_t i = 0; i < bytes; ++i) bits += static_cast<unsigned>(std::popcount(data[i]));
        counter += static_cast<double>(bits);
        break;
    }
    case 2:
        addFromTable(counter, kTwoBitInk, data, bytes);
        break;
    case 8:
        addFromTable(counter, kEightBitInk, data, bytes);
        break;
    default:
        break;
    }
}
