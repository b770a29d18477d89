#pragma once
// The ink a job puts on paper, per process ink, in units of fully inked
// pixels. Counters start at 0 and only grow: they sum every line an engine
// has written, across pages and jobs.
//
// The sums are kept as integers (quarter pixels and hundredths of a pixel),
// so that they are exact however many lines they take, and the lines are
// counted a 64-bit word at a time with the CPU's bit count when it has one.
#include <array>
#include <cstddef>
#include <cstdint>

class KIPInkCounter {
public:
    enum Ink { Cyan, Magenta, Yellow, Black, kInkCount };

    // The ink that a colorant named exactly "Cyan", "Magenta", "Yellow" or
    // "Black" counts towards, or -1 for any other name (case matters).
    static int InkOf(const char* colorantName);

    // Adds the ink of `bytes` bytes of one packed line: 1 bit per pixel counts
    // set bits; 2 bits weigh the levels 0, 0.25, 0.75, 1; 8 bits count
    // (value * 100 / 255) / 100 per pixel. Other depths and ink -1 add nothing.
    void Count(int ink, const uint8_t* data, size_t bytes, int bitsPerPixel);

    // The four counters, in the order of Ink.
    std::array<double, kInkCount> Counters() const;

    // The parts of Count, for any line: set bits; quarter pixels of 2-bit levels; whole percents of 8-bit values.
    static uint64_t SetBits(const uint8_t* data, size_t bytes);
    static uint64_t TwoBitQuarters(const uint8_t* data, size_t bytes);
    static uint64_t EightBitPercents(const uint8_t* data, size_t bytes);

private:
    uint64_t quarters[kInkCount] = {};   // 1-bit and 2-bit ink, in quarter pixels
    uint64_t percents[kInkCount] = {};   // 8-bit ink, in hundredths of a pixel
};
