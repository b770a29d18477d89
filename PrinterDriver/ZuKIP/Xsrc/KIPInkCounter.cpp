#include "KIPInkCounter.h"

#include "CpuFeatures.h"

#include <bit>
#include <cstring>

namespace {
// Two-bit levels 0, 0.25, 0.75 and 1 in quarter pixels.
constexpr uint8_t kTwoBitLevels[4] = {0, 1, 3, 4};

constexpr std::array<uint8_t, 256> twoBitTable() {
    std::array<uint8_t, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[b] = uint8_t(kTwoBitLevels[(b >> 6) & 3] + kTwoBitLevels[(b >> 4) & 3] + kTwoBitLevels[(b >> 2) & 3] +
                           kTwoBitLevels[b & 3]);
    return table;
}

constexpr std::array<uint8_t, 256> kTwoBitQuarters = twoBitTable();

// Whole percent first: the controller's coverage figures have always been
// counted this way. value * 100 / 255 in 16-bit steps only (x / 255 is
// (x + 1 + (x >> 8)) >> 8 below 65535), which baseline SSE2 runs eight
// lanes wide.
constexpr uint16_t wholePercent(uint8_t value) {
    const auto x = static_cast<uint16_t>(value * 100);
    return static_cast<uint16_t>(static_cast<uint16_t>(x + 1 + (x >> 8)) >> 8);
}
constexpr bool percentFormulaHolds() {
    for (int b = 0; b < 256; ++b)
        if (wholePercent(static_cast<uint8_t>(b)) != b * 100 / 255) return false;
    return true;
}
static_assert(percentFormulaHolds());

uint64_t load64(const uint8_t* p) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// Built twice: for the baseline instruction set, whose bit count is a
// libgcc call, and with the POPCNT instruction, chosen at run time.
template <int>
ZUKIP_ALWAYS_INLINE uint64_t countBits(const uint8_t* data, size_t bytes) {
    uint64_t bits = 0;
    size_t i = 0;
    for (; i + 8 <= bytes; i += 8) bits += unsigned(std::popcount(load64(data + i)));
    for (; i < bytes; ++i) bits += unsigned(std::popcount(data[i]));
    return bits;
}

ZUKIP_TARGET("popcnt") uint64_t countBitsPopcnt(const uint8_t* data, size_t bytes) {
    return countBits<1>(data, bytes);
}

// A sum over the bytes of a line.
using LineSum = uint64_t (*)(const uint8_t*, size_t);

LineSum chooseBitCounter() {
    return CpuFeatures::Has(CpuFeatures::Popcnt) ? countBitsPopcnt : countBits<0>;
}

const LineSum kCountBits = chooseBitCounter();

// Built twice too: for the baseline instruction set (eight 16-bit lanes) and for AVX2 (sixteen).
template <int>
ZUKIP_ALWAYS_INLINE uint64_t sumPercents(const uint8_t* data, size_t bytes) {
    uint64_t sum = 0;
    // 32-bit partial sums (at most 100 per byte) let the loop run in vector lanes.
    constexpr size_t kBlock = 1u << 24;
    for (size_t start = 0; start < bytes; start += kBlock) {
        const size_t end = bytes - start < kBlock ? bytes : start + kBlock;
        uint32_t part = 0;
        for (size_t i = start; i < end; ++i) part += wholePercent(data[i]);
        sum += part;
    }
    return sum;
}

ZUKIP_TARGET("avx2") uint64_t sumPercentsAvx2(const uint8_t* data, size_t bytes) {
    return sumPercents<1>(data, bytes);
}

LineSum choosePercentSummer() {
    return CpuFeatures::Has(CpuFeatures::Avx2) ? sumPercentsAvx2 : sumPercents<0>;
}

const LineSum kSumPercents = choosePercentSummer();
}  // namespace

int KIPInkCounter::InkOf(const char* colorantName) {
    static const char* const kNames[kInkCount] = {"Cyan", "Magenta", "Yellow", "Black"};
    if (!colorantName) return -1;
    for (int ink = 0; ink < kInkCount; ++ink)
        if (std::strcmp(colorantName, kNames[ink]) == 0) return ink;
    return -1;
}

uint64_t KIPInkCounter::SetBits(const uint8_t* data, size_t bytes) { return kCountBits(data, bytes); }

uint64_t KIPInkCounter::TwoBitQuarters(const uint8_t* data, size_t bytes) {
    uint64_t sum = 0;
    for (size_t i = 0; i < bytes; ++i) sum += kTwoBitQuarters[data[i]];
    return sum;
}

uint64_t KIPInkCounter::EightBitPercents(const uint8_t* data, size_t bytes) { return kSumPercents(data, bytes); }

void KIPInkCounter::Count(int ink, const uint8_t* data, size_t bytes, int bitsPerPixel) {
    if (ink < 0 || ink >= kInkCount || !data) return;
    switch (bitsPerPixel) {
    case 1: quarters[ink] += 4 * SetBits(data, bytes); break;
    case 2: quarters[ink] += TwoBitQuarters(data, bytes); break;
    case 8: percents[ink] += EightBitPercents(data, bytes); break;
    default: break;
    }
}

std::array<double, KIPInkCounter::kInkCount> KIPInkCounter::Counters() const {
    std::array<double, kInkCount> counters{};
    for (int ink = 0; ink < kInkCount; ++ink)
        counters[ink] = static_cast<double>(quarters[ink]) / 4.0 + static_cast<double>(percents[ink]) / 100.0;
    return counters;
}
