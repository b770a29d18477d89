#include "ZUPackBits.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

static_assert(std::endian::native == std::endian::little, "the word scans take byte 0 as the lowest");

constexpr size_t kMaxCount = 128;
constexpr uint64_t kOnes = 0x0101010101010101u;
constexpr uint64_t kHighs = 0x8080808080808080u;

uint64_t load64(const uint8_t* p) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// Position (0..7) of the lowest non-zero byte of a non-zero word.
size_t lowestByte(uint64_t word) { return size_t(std::countr_zero(word)) / 8; }

// Length of the run of bytes equal to in[i] from i, at most limit (1 <= limit <= bytes left).
size_t runLength(const uint8_t* in, size_t i, size_t limit) {
    const uint64_t pattern = kOnes * in[i];
    size_t n = 1;
    for (; n + 8 <= limit; n += 8) {
        const uint64_t diff = load64(in + i + n) ^ pattern;
        if (diff) return n + lowestByte(diff);
    }
    while (n < limit && in[i + n] == in[i]) ++n;
    return n;
}

// The first k in [from, to) where three equal bytes start, or `to`.
size_t findTriple(const uint8_t* in, size_t from, size_t to, size_t size) {
    size_t k = from;
    // Eight starting positions a step: a zero byte of x marks in[k+m] == in[k+m+1] == in[k+m+2]; the
    // lowest flag of the zero-byte test is exact (a borrow only runs upwards from a zero byte).
    for (; k < to && k + 10 <= size; k += 8) {
        const uint64_t b = load64(in + k + 1);
        const uint64_t x = (load64(in + k) ^ b) | (b ^ load64(in + k + 2));
        const uint64_t zero = (x - kOnes) & ~x & kHighs;
        if (zero) return std::min(k + lowestByte(zero), to);
    }
    for (; k < to && k + 2 < size; ++k)
        if (in[k] == in[k + 1] && in[k + 1] == in[k + 2]) return k;
    return to;
}

}  // namespace

size_t ZUPackBits::Pack(const uint8_t* in, size_t size, uint8_t* out) {
    uint8_t* o = out;
    size_t i = 0;
    while (i < size) {
        // No literal pending here: a run of two already pays.
        const size_t run = runLength(in, i, std::min(kMaxCount, size - i));
        if (run >= 2) {
            *o++ = static_cast<uint8_t>(1 - static_cast<int>(run));
            *o++ = in[i];
            i += run;
            continue;
        }
        // A literal up to the next run of three (a run of two inside it would cost a count byte).
        const size_t end = findTriple(in, i + 1, std::min(i + kMaxCount, size), size);
        const size_t count = end - i;
        *o++ = static_cast<uint8_t>(count - 1);
        std::memcpy(o, in + i, count);
        o += count;
        i = end;
    }
    return static_cast<size_t>(o - out);
}

bool ZUPackBits::Unpack(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize) {
    size_t i = 0;
    size_t o = 0;
    while (i < inSize) {
        const int n = static_cast<int8_t>(in[i++]);
        if (n >= 0) {
            const size_t count = static_cast<size_t>(n) + 1;
            if (count > inSize - i || count > outSize - o) return false;
            std::memcpy(out + o, in + i, count);
            i += count;
            o += count;
        } else {
            if (n == -128 || i == inSize) return false;
            const size_t count = static_cast<size_t>(1 - n);
            if (count > outSize - o) return false;
            std::memset(out + o, in[i++], count);
            o += count;
        }
    }
    return o == outSize;
}
