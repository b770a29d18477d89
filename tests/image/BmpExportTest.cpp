#include "ImageTestFiles.h"
#include "TempBaseFolder.h"

#include <gtest/gtest.h>

#include <array>

namespace {
// A BMP as an independent reader sees it; the checks of its structure run while parsing.
struct Bmp {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint16_t bits = 0;
    std::uint32_t xPixelsPerMetre = 0;
    std::uint32_t yPixelsPerMetre = 0;
    std::vector<std::array<unsigned char, 4>> palette;
    std::vector<std::vector<unsigned char>> rows;   // in file order, padding included
};

std::uint16_t le16(const std::vector<unsigned char>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b.at(at) | b.at(at + 1) << 8);
}

void parseBmp(const std::vector<unsigned char>& b, Bmp& bmp) {
    ASSERT_GE(b.size(), 54u);
    ASSERT_EQ(b[0], 'B');
    ASSERT_EQ(b[1], 'M');
    EXPECT_EQ(le32(b, 2), b.size());
    EXPECT_EQ(le32(b, 6), 0u);
    const std::uint32_t dataOffset = le32(b, 10);
    ASSERT_EQ(le32(b, 14), 40u);
    bmp.width = le32(b, 18);
    bmp.height = le32(b, 22);
    ASSERT_LT(bmp.height, 0x80000000u);   // positive: bottom-up
    EXPECT_EQ(le16(b, 26), 1);
    bmp.bits = le16(b, 28);
    EXPECT_EQ(le32(b, 30), 0u);           // BI_RGB
    const std::size_t stride = (std::size_t{bmp.width} * bmp.bits + 31) / 32 * 4;
    EXPECT_EQ(le32(b, 34), stride * bmp.height);
    bmp.xPixelsPerMetre = le32(b, 38);
    bmp.yPixelsPerMetre = le32(b, 42);
    const std::uint32_t colours = le32(b, 46);
    EXPECT_EQ(colours, bmp.bits <= 8 ? 1u << bmp.bits : 0u);
    ASSERT_EQ(dataOffset, 54 + 4 * colours);
    for (std::uint32_t i = 0; i < colours; ++i) bmp.palette.push_back({b[54 + 4 * i], b[55 + 4 * i], b[56 + 4 * i], b[57 + 4 * i]});
    ASSERT_EQ(b.size(), dataOffset + stride * bmp.height);
    for (std::uint32_t r = 0; r < bmp.height; ++r)
        bmp.rows.emplace_back(b.begin() + dataOffset + r * stride, b.begin() + dataOffset + (r + 1) * stride);
}
}  // namespace

TEST(BmpExport, RowsPaletteAndPaddingAtEveryDepth) {
    TempBaseFolder base;
    for (const int bits : {1, 2, 8, 32}) {
        const std::string path = (base.temp() / ("sep" + std::to_string(bits) + ".bmp")).string();
        const std::uint32_t width = 13, height = 5;
        const std::size_t stride = (std::size_t{width} * bits + 31) / 32 * 4;
        const auto rows = patternRows(height, stride, bits);
        ASSERT_TRUE(writeImage(path, width, height, bits, rows, stride, kipTagList(height)));
        Bmp bmp;
        ASSERT_NO_FATAL_FAILURE(parseBmp(readBytes(path), bmp));
        EXPECT_EQ(bmp.width, width);
        EXPECT_EQ(bmp.height, height);
        EXPECT_EQ(bmp.bits, bits);
        EXPECT_EQ(bmp.xPixelsPerMetre, 11811u);   // 300 dpi
        EXPECT_EQ(bmp.yPixelsPerMetre, 23622u);   // 600 dpi
        // Rows are stored in the order they were given, bytes as given.
        for (std::uint32_t r = 0; r < height; ++r)
            EXPECT_EQ(bmp.rows[r], std::vector<unsigned char>(rows.begin() + r * stride, rows.begin() + (r + 1) * stride))
                << bits << " bits, row " << r;
        // Grey ramp from white (no ink) to black (full ink).
        if (!bmp.palette.empty()) {
            EXPECT_EQ(bmp.palette.front(), (std::array<unsigned char, 4>{255, 255, 255, 0}));
            EXPECT_EQ(bmp.palette.back(), (std::array<unsigned char, 4>{0, 0, 0, 0}));
            for (std::size_t i = 1; i < bmp.palette.size(); ++i) EXPECT_LT(bmp.palette[i][0], bmp.palette[i - 1][0]);
        }
    }
}

TEST(BmpExport, ZeroHeightHasHeadersOnly) {
    TempBaseFolder base;
    const std::string path = (base.temp() / "empty.bmp").string();
    ASSERT_TRUE(writeImage(path, 21, 0, 8, {}, 24, ""));
    Bmp bmp;
    ASSERT_NO_FATAL_FAILURE(parseBmp(readBytes(path), bmp));
    EXPECT_EQ(bmp.width, 21u);
    EXPECT_TRUE(bmp.rows.empty());
}
