#pragma once
// PackBits run-length coding of one raster line (the TIFF scheme: a count
// byte n, then n + 1 literal bytes for n in 0..127, or one byte repeated
// 1 - n times for n in -127..-1; -128 is never written and is refused).
#include <cstddef>
#include <cstdint>

class ZUPackBits {
public:
    // Packs `size` bytes into `out`, which must hold ZURasterFormat::MaxPackedSize(size)
    // bytes; returns the packed size.
    static size_t Pack(const uint8_t* in, size_t size, uint8_t* out);
    // Unpacks `in` into exactly `outSize` bytes; false when the input is malformed,
    // ends early, or yields more or fewer bytes.
    static bool Unpack(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize);
};
