// The KIP engine's parts in process: the built-in colour modes and the ink
// counter. (The ink of real jobs is read from their tickets:
// tests/hostprog/EndToEndTest.cpp.)
#include "KIPBuiltinColors.h"
#include "KIPColorSuffixes.h"
#include "KIPInkCounter.h"

#include <gtest/gtest.h>

#include <array>
#include <random>

// Orange modes list Green too but write one separation fewer; the suffixes
// that name the extra separations are shared, so a mode-4 job's Green must
// not name a mode-3 job's files.
TEST(KipBuiltinColors, ModesListTheirColorantsAndNameOnlyTheSeparationsTheyWrite) {
    std::vector<ColorantEntry> entries(kColorantCapacity);
    ColorantList list{-7, entries.data(), kColorantCapacity};
    ASSERT_EQ(KIPBuiltinColors::GetColorantList(3, &list), 1);
    ASSERT_EQ(list.count, 6);
    EXPECT_STREQ(entries[5].name, "Green");
    EXPECT_EQ(KIPBuiltinColors::ApplySeparationRule(4), 6);
    EXPECT_EQ(KIPColorSuffixes::Get(5), "Green");
    EXPECT_EQ(KIPBuiltinColors::ApplySeparationRule(3), 5);
    EXPECT_EQ(KIPColorSuffixes::Get(4), "Orange");
    EXPECT_EQ(KIPColorSuffixes::Get(5), "");
    for (const int refused : {1, 6, 10, 11, -1}) EXPECT_EQ(KIPBuiltinColors::ApplySeparationRule(refused), 0) << refused;

    // Grey: Black alone, at 8 bits, in one separation.
    ASSERT_EQ(KIPBuiltinColors::GetColorantList(7, &list), 1);
    ASSERT_EQ(list.count, 1);
    EXPECT_STREQ(entries[0].name, "Black");
    EXPECT_EQ(entries[0].bitsPerPixel, 8u);
    EXPECT_EQ(KIPBuiltinColors::ApplySeparationRule(7), 1);

    // The spot mode's twenty spots follow the process colours, numbered, each its own grey.
    ASSERT_EQ(KIPBuiltinColors::GetColorantList(10, &list), 1);
    ASSERT_EQ(list.count, 24);
    EXPECT_STREQ(entries[23].name, "Spot 20");
    EXPECT_EQ(entries[23].spot, 1u);
    EXPECT_EQ(entries[23].color, 20u * 0x0A0A0A);
    EXPECT_EQ(KIPBuiltinColors::GetColorantList(11, &list), 0);
    EXPECT_EQ(list.count, 24) << "an unknown mode leaves the list";
}

// The word-wide counts equal the per-byte rules on lines of any length and content.
TEST(KipInkCounter, WideCountsEqualThePerByteRules) {
    std::mt19937 rng(11);
    for (const size_t bytes : {0, 7, 9, 65, 4099}) {
        for (const int fill : {0xFF, -1}) {
            std::vector<uint8_t> line(bytes);
            for (uint8_t& b : line) b = fill >= 0 ? uint8_t(fill) : uint8_t(rng());
            uint64_t bits = 0, quarters = 0, percents = 0;
            for (const uint8_t b : line) {
                bits += unsigned(__builtin_popcount(b));
                for (int shift = 6; shift >= 0; shift -= 2) quarters += std::array{0, 1, 3, 4}[(b >> shift) & 3];
                percents += b * 100u / 255u;
            }
            EXPECT_EQ(KIPInkCounter::SetBits(line.data(), bytes), bits) << bytes;
            KIPInkCounter counter;
            counter.Count(KIPInkCounter::Cyan, line.data(), bytes, 8);
            for (int k = 0; k < 1000; ++k) counter.Count(KIPInkCounter::Black, line.data(), bytes, 2);
            // Whole sums, however many lines: no rounding builds up.
            EXPECT_EQ(counter.Counters()[KIPInkCounter::Cyan], double(percents) / 100.0);
            EXPECT_EQ(counter.Counters()[KIPInkCounter::Black], double(quarters) * 1000 / 4.0);
        }
    }
}

