#include "ZUPackBits.h"

#include <cstring>

namespace {

constexpr size_t kMaxRun = 128;

// Length of the run of equal bytes starting at `in[i]`, at most kMaxRun.
size_t RunLength(const uint8_t* in, size_t size, size_t i) {
    size_t n = 1;
    while (i + n < size && n < kMaxRun && in[i + n] == in[i]) ++n;
    return n;
}

}  // namespace

size_t ZUPackBits::Pack(const uint8_t* in, size_t size, uint8_t* out) {
    size_t o = 0;
    size_t literalStart = 0;
    size_t literalCount = 0;   // literal bytes pending since literalStart
    auto flushLiteral = [&] {
        if (literalCount == 0) return;
        out[o++] = static_cast<uint8_t>(literalCount - 1);
        std::memcpy(out + o, in + literalStart, literalCount);
        o += literalCount;
        literalCount = 0;
    };
    size_t i = 0;
    while (i < size) {
        const size_t run = RunLength(in, size, i);
        // A run of two only pays off when it does not split a literal; keeping
        // it inside the literal bounds the output at one count byte per 128.
        if (run >= 3 || (run == 2 && literalCount == 0)) {
            flushLiteral();
            out[o++] = static_cast<uint8_t>(1 - static_cast<int>(run));
            out[o++] = in[i];
            i += run;
            continue;
        }
        if (literalCount == 0) literalStart = i;
        ++literalCount;
        ++i;
        if (literalCount == kMaxRun) flushLiteral();
    }
    flushLiteral();
    return o;
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
