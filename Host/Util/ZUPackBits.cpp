#include "ZUPackBits.h"

#include <emmintrin.h>

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr size_t kMaxCount = 128;
// Runs and literals are scanned, copied and filled 16 bytes (one SSE2 register) at a time.
constexpr size_t kChunk = 16;

__m128i load16(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// Bit k set where p[k] == q[k], for k in 0..15.
unsigned equalMask(__m128i p, __m128i q) { return unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(p, q))); }

// Copies count (1..128) bytes in whole chunks: reads and writes up to 15 bytes past count.
void copyChunks(uint8_t* out, const uint8_t* in, size_t count) {
    for (size_t k = 0; k < count; k += kChunk) _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), load16(in + k));
}

// Sets count (1..128) bytes to value in whole chunks: writes up to 15 bytes past count.
void fillChunks(uint8_t* out, uint8_t value, size_t count) {
    const __m128i pattern = _mm_set1_epi8(static_cast<char>(value));
    for (size_t k = 0; k < count; k += kChunk) _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), pattern);
}

// Length of the run of bytes equal to in[i] from i, at most limit (1 <= limit <= bytes left).
size_t runLength(const uint8_t* in, size_t i, size_t limit) {
    const __m128i pattern = _mm_set1_epi8(static_cast<char>(in[i]));
    size_t n = 1;
    for (; n + kChunk <= limit; n += kChunk) {
        const unsigned differ = ~equalMask(load16(in + i + n), pattern) & 0xFFFFu;
        if (differ) return n + size_t(std::countr_zero(differ));
    }
    if (limit < kChunk) {
        while (n < limit && in[i + n] == in[i]) ++n;
        return n;
    }
    // The bytes left before limit: the chunk that ends there, less the bytes already seen equal.
    const unsigned differ = (~equalMask(load16(in + i + limit - kChunk), pattern) & 0xFFFFu) >> (n + kChunk - limit);
    return differ ? n + size_t(std::countr_zero(differ)) : limit;
}

// Bit m set where four equal bytes start at p[m], for m in 0..15 (reads p[0..18]).
unsigned quadStarts(const uint8_t* p) {
    const __m128i middle = load16(p + 1);
    const __m128i third = load16(p + 2);
    return equalMask(load16(p), middle) & equalMask(middle, third) & equalMask(third, load16(p + 3));
}

// The first k in [from, to) where four equal bytes start, or `to`.
size_t findQuad(const uint8_t* in, size_t from, size_t to, size_t size) {
    size_t k = from;
    for (; k < to && k + kChunk + 3 <= size; k += kChunk)
        if (const unsigned quads = quadStarts(in + k)) return std::min(k + size_t(std::countr_zero(quads)), to);
    for (; k < to && k + 3 < size; ++k)
        if (in[k] == in[k + 1] && in[k + 1] == in[k + 2] && in[k + 2] == in[k + 3]) return k;
    return to;
}

// Copies a literal from `in` up to the next run of four, at most 128 bytes, in whole chunks as it
// finds its end; returns its length. Reads 131 bytes, writes up to 128. in[0] starts no run of four.
size_t copyLiteral(const uint8_t* in, uint8_t* out) {
    for (size_t k = 0; k < kMaxCount; k += kChunk) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), load16(in + k));
        if (const unsigned quads = quadStarts(in + k)) return k + size_t(std::countr_zero(quads));
    }
    return kMaxCount;
}

// Bit m set where in[m] == in[m + 1], for m in 0..31 (reads in[0..32]).
uint32_t equalPairs(const uint8_t* in) {
    const uint32_t low = equalMask(load16(in), load16(in + 1));
    return low | uint32_t(equalMask(load16(in + kChunk), load16(in + kChunk + 1))) << kChunk;
}

// Writes the run token for `length` (2..128) bytes of `value`; returns its size.
size_t putRun(uint8_t* out, size_t length, uint8_t value) {
    out[0] = static_cast<uint8_t>(1 - static_cast<int>(length));
    out[1] = value;
    return 2;
}

// Writes the runs that start at in[i], one after another, as Pack's token loop would, while a mask of
// equal neighbours over the next 32 bytes decides them (short runs, as in text and line art: one mask
// serves several runs); stops at a literal, at a run the mask does not see the end of, and where 32
// bytes or fewer are left. Advances i past the runs and returns the bytes written.
size_t packShortRuns(const uint8_t* in, size_t& i, size_t size, uint8_t* out) {
    constexpr size_t kSpan = 2 * kChunk;
    size_t o = 0;
    while (size - i > kSpan) {
        const uint32_t pairs = equalPairs(in + i);
        // Bit e set where a run ends at in[i+e]; taking them lowest first keeps each run's end off the
        // path to the next one's.
        uint32_t ends = ~pairs;
        size_t start = 0;
        while (ends) {
            const size_t end = size_t(std::countr_zero(ends)) + 1;
            ends &= ends - 1;
            const size_t run = end - start;
            // A run of two is a literal's start when a literal byte follows it: that takes its next pair.
            if (run == 2 && start + 2 >= kSpan) break;
            if (run < 2 || (run == 2 && !(pairs >> (start + 2) & 1u))) {
                i += start;
                return o;
            }
            o += putRun(out + o, run, in[i + start]);
            start = end;
        }
        // A whole mask of equal bytes: a long run, which the token loop scans.
        if (start == 0) return o;
        i += start;
    }
    return o;
}

}  // namespace

size_t ZUPackBits::Pack(const uint8_t* in, size_t size, uint8_t* out) {
    const size_t capacity = MaxPackedSize(size);
    size_t i = 0;
    size_t o = 0;
    while (i < size) {
        // No literal pending here: a run of two already pays, unless a literal byte follows it, which
        // would take the two bytes for what their run costs.
        const size_t run = runLength(in, i, std::min(kMaxCount, size - i));
        const bool literalFollows = run == 2 && i + 3 < size && in[i + 2] != in[i + 3];
        if (run >= 2 && !literalFollows) {
            o += putRun(out + o, run, in[i]);
            i += run;
            // Where one run ends, others often follow.
            o += packShortRuns(in, i, size, out + o);
            continue;
        }
        // A literal up to the next run of four (a shorter run inside it would save nothing or cost a byte).
        // Far from both ends it is copied in whole chunks as its end is found; the next token overwrites
        // what they pass.
        const size_t at = o++;
        size_t count;
        if (capacity - o >= kMaxCount && size - i >= kMaxCount + 3) {
            count = copyLiteral(in + i, out + o);
        } else {
            count = findQuad(in, i + 1, std::min(i + kMaxCount, size), size) - i;
            std::memcpy(out + o, in + i, count);
        }
        out[at] = static_cast<uint8_t>(count - 1);
        o += count;
        i += count;
    }
    return o;
}

bool ZUPackBits::Unpack(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize) {
    size_t i = 0;
    size_t o = 0;
    // While any token fits before both ends, it is copied or filled in whole chunks, and needs no
    // bounds checks; a chunk may pass its token's end, into bytes the next tokens write.
    while (inSize - i > kMaxCount && outSize - o >= kMaxCount) {
        const int n = static_cast<int8_t>(in[i++]);
        if (n >= 0) {
            const size_t count = static_cast<size_t>(n) + 1;
            copyChunks(out + o, in + i, count);
            i += count;
            o += count;
        } else {
            if (n == -128) return false;
            const size_t count = static_cast<size_t>(1 - n);
            fillChunks(out + o, in[i++], count);
            o += count;
        }
    }
    // Near the ends, whole chunks still serve each token they stay inside both buffers for.
    while (i < inSize) {
        const int n = static_cast<int8_t>(in[i++]);
        const size_t outLeft = outSize - o;
        if (n >= 0) {
            const size_t count = static_cast<size_t>(n) + 1;
            const size_t room = std::min(inSize - i, outLeft);
            if (count > room) return false;
            if (room - count >= kChunk - 1)
                copyChunks(out + o, in + i, count);
            else
                std::memcpy(out + o, in + i, count);
            i += count;
            o += count;
        } else {
            if (n == -128 || i == inSize) return false;
            const size_t count = static_cast<size_t>(1 - n);
            if (count > outLeft) return false;
            if (outLeft - count >= kChunk - 1)
                fillChunks(out + o, in[i], count);
            else
                std::memset(out + o, in[i], count);
            ++i;
            o += count;
        }
    }
    return o == outSize;
}
