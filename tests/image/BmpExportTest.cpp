// BMP images from the image writer, read back by the format's own rules:
// upright, every pixel as given, at every depth the driver writes.
#include "ImageReadBack.h"
#include "ImageTestFiles.h"
#include "TempBaseFolder.h"

#include <gtest/gtest.h>

TEST(BmpExport, EveryDepthReadsBackUprightWithThePixelsGiven) {
    TempBaseFolder base;
    for (const int bits : {1, 2, 8, 32}) {
        SCOPED_TRACE(std::to_string(bits) + " bits");
        const std::string path = (base.temp() / ("sep" + std::to_string(bits) + ".bmp")).string();
        const std::uint32_t width = 13, height = 5;
        const std::size_t stride = paddedRowBytes(width, bits);
        const auto rows = patternRows(height, stride, bits);
        ASSERT_TRUE(writeImage(path, width, height, bits, rows, stride, kipTagList(height)));
        const ReadImage bmp = readBmp(path);
        EXPECT_EQ(bmp.width, width);
        ASSERT_EQ(bmp.height, height);
        // 2 bits is no BMP depth: stored at 4 bits with the same pixel values.
        EXPECT_EQ(bmp.bitsPerSample, bits == 2 ? 4u : static_cast<uint32_t>(bits));
        const std::vector<unsigned char> bytes = readBytes(path);
        EXPECT_EQ(littleEndian(bytes, 38, 4), 11811u);   // 300 dpi
        EXPECT_EQ(littleEndian(bytes, 42, 4), 23622u);   // 600 dpi
        for (std::uint32_t r = 0; r < height; ++r) {
            const std::vector<uint8_t> given(rows.begin() + r * stride, rows.begin() + (r + 1) * stride);
            const std::vector<uint8_t> pixels =
                bits == 32 ? std::vector<uint8_t>(given.begin(), given.begin() + 4 * width) : unpackPixels(given, bits, width);
            EXPECT_EQ(bmp.rows[r], pixels) << "row " << r;
        }
        // One grey per value of the image's own depth, from white (no ink) to black (full ink).
        ASSERT_EQ(bmp.palette.size(), bits == 32 ? 0u : size_t{1} << bits);
        if (!bmp.palette.empty()) {
            EXPECT_EQ(bmp.palette.front(), 0xFFFFFFu);
            EXPECT_EQ(bmp.palette.back(), 0u);
            for (std::size_t i = 1; i < bmp.palette.size(); ++i) EXPECT_LT(bmp.palette[i], bmp.palette[i - 1]);
        }
    }
}
