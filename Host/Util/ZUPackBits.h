#pragma once
// PackBits run-length coding of one raster line (the TIFF scheme: a count
// byte n, then n + 1 literal bytes for n in 0..127, or one byte repeated
// 1 - n times for n in -127..-1; -128 is never written and is refused).
// The raster job file and the TIFF separations store their lines this way.
#include <cstddef>
#include <cstdint>

class ZUPackBits {
public:
    // Largest packed size of `size` bytes: one count byte per 128.
    static constexpr size_t MaxPackedSize(size_t size) { return size + (size + 127) / 128; }

    // Packs `size` bytes into `out`, which must hold MaxPackedSize(size) bytes; returns the packed size.
    // Runs of four or more equal bytes are always runs; runs of three, and runs of two that no literal
    // byte follows, are runs where no literal is pending; the rest is copied as literals of at most 128
    // bytes (inside a literal, a shorter run saves nothing: its count byte and that of the literal after it
    // cost what its bytes do). Runs and run starts are found sixteen bytes at a time.
    static size_t Pack(const uint8_t* in, size_t size, uint8_t* out);
    // Unpacks `in` into exactly `outSize` bytes; false when the input is malformed,
    // ends early, or yields more or fewer bytes.
    static bool Unpack(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize);
};
