#include "ZURasterFormat.h"

#include "CpuFeatures.h"

#include <zlib.h>
#if ZUKIP_CPU_DISPATCH
#include <wmmintrin.h>
#endif

#include <algorithm>
#include <cstring>

namespace ZURasterFormat {

namespace {

uint32_t zlibCrc32(uint32_t crc, const uint8_t* data, size_t size) {
    // zlib's lengths are 32-bit: large data goes in pieces.
    while (size > 0) {
        const auto piece = static_cast<uInt>(std::min<size_t>(size, 1u << 30));
        crc = static_cast<uint32_t>(crc32(crc, data, piece));
        data += piece;
        size -= piece;
    }
    return crc;
}

#if ZUKIP_CPU_DISPATCH
// Folding with carry-less multiplication: the data, taken 16 bytes (a polynomial of degree below 128,
// its first bit the highest term) at a time, is replaced by a value of the same remainder modulo the
// CRC polynomial P: F * x^n + D becomes F's high half times (x^(n+64) mod P) plus its low half times
// (x^n mod P) plus D. The constants are reflected as the CRC's bits are; a product of reflected
// operands comes out one degree short, hence the exponents one less. The last 16 folded bytes and the
// tail then go through zlib, which gives the same CRC as the whole data.
constexpr uint64_t foldConstant(int exponent) {
    uint64_t remainder = 1;
    for (int i = 0; i < exponent; ++i) {
        remainder <<= 1;
        if (remainder & (uint64_t(1) << 32)) remainder ^= 0x104C11DB7u;
    }
    uint64_t reflected = 0;
    for (int bit = 0; bit < 32; ++bit)
        if (remainder >> bit & 1) reflected |= uint64_t(1) << (63 - bit);
    return reflected;
}

ZUKIP_TARGET("pclmul") __m128i fold(__m128i folded, __m128i constants, __m128i data) {
    const __m128i high = _mm_clmulepi64_si128(folded, constants, 0x00);
    const __m128i low = _mm_clmulepi64_si128(folded, constants, 0x11);
    return _mm_xor_si128(_mm_xor_si128(high, low), data);
}

__m128i load16(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// The CRC of at least 64 bytes: four lanes folded 64 bytes at a time, then into one, then 16 bytes at a time.
ZUKIP_TARGET("pclmul") uint32_t foldedCrc32(const uint8_t* data, size_t size) {
    const __m128i by512 = _mm_set_epi64x(int64_t(foldConstant(511)), int64_t(foldConstant(575)));
    const __m128i by128 = _mm_set_epi64x(int64_t(foldConstant(127)), int64_t(foldConstant(191)));
    // The CRC's initial value (all ones) inverts the first 32 bits of the data.
    __m128i lanes[4] = {_mm_xor_si128(load16(data), _mm_cvtsi32_si128(-1)), load16(data + 16), load16(data + 32),
                        load16(data + 48)};
    size_t i = 64;
    for (; size - i >= 64; i += 64)
        for (size_t lane = 0; lane < 4; ++lane) lanes[lane] = fold(lanes[lane], by512, load16(data + i + 16 * lane));
    __m128i folded = fold(fold(fold(lanes[0], by128, lanes[1]), by128, lanes[2]), by128, lanes[3]);
    for (; size - i >= 16; i += 16) folded = fold(folded, by128, load16(data + i));
    uint8_t last[16];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(last), folded);
    // zlib started from all ones computes from a zero register: the initial value is already applied.
    return zlibCrc32(zlibCrc32(0xFFFFFFFFu, last, sizeof last), data + i, size - i);
}

const bool kFold = CpuFeatures::Has(CpuFeatures::CarrylessMultiply);
#endif

}  // namespace

uint32_t Crc32(const uint8_t* data, size_t size) {
    // zlib's CRC-32 is the same checksum; lines fold faster where the CPU multiplies carry-less.
#if ZUKIP_CPU_DISPATCH
    if (kFold && size >= 64) return foldedCrc32(data, size);
#endif
    return zlibCrc32(0, data, size);
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
