// The image writer's TIFF and its refusals: pixels read back with libtiff,
// the tags and layout read from the bytes, and what it does with bad requests.
#include "ExportBitmap.h"
#include "FileSizeLimit.h"
#include "ImageTestFiles.h"
#include "KIPExportBitmap.h"
#include "RVLog.h"
#include "TempBaseFolder.h"

#include <gtest/gtest.h>
#include <tiffio.h>

namespace {
std::size_t storedRowBytes(std::uint32_t width, int bitsPerPixel) { return (std::size_t{width} * bitsPerPixel + 7) / 8; }

// Writes one row of 8 bytes, every one value, as name in base's "Temp" without extra tags; its path.
std::string writeOneRow(const TempBaseFolder& base, const char* name, std::uint32_t width, int bitsPerPixel,
                        unsigned char value) {
    const std::string path = (base.temp() / name).string();
    EXPECT_TRUE(writeImage(path, width, 1, bitsPerPixel, std::vector<unsigned char>(8, value), 8, "")) << name;
    return path;
}

// Pixels read back equal the first storedRowBytes of every padded row written.
void expectRoundTrip(const std::string& path, std::uint32_t width, std::uint32_t height, int bitsPerPixel,
                     const std::vector<unsigned char>& rows) {
    const std::size_t padded = paddedRowBytes(width, bitsPerPixel);
    const std::size_t stored = storedRowBytes(width, bitsPerPixel);
    const ReadImage image = readTiff(path);
    ASSERT_EQ(image.rows.size(), height);
    for (std::uint32_t r = 0; r < height; ++r)
        ASSERT_EQ(image.rows[r], std::vector<unsigned char>(rows.begin() + r * padded, rows.begin() + r * padded + stored))
            << "row " << r << " of " << width << " x " << height << " at " << bitsPerPixel << " bits";
    EXPECT_TRUE(image.messages.empty());
}

}  // namespace

TEST(TiffExport, RoundTripsOddShapesAtEveryDepthAndLongRuns) {
    TempBaseFolder base;
    const std::string path = (base.temp() / "odd.tif").string();
    struct Shape { std::uint32_t width, height; int bits; };
    for (const Shape shape : {Shape{13, 7, 1}, Shape{1, 5, 1}, Shape{37, 1, 1}, Shape{8, 3, 1}, Shape{9, 4, 2},
                              Shape{1, 1, 8}, Shape{33, 6, 8}, Shape{5, 3, 32}}) {
        const std::size_t padded = paddedRowBytes(shape.width, shape.bits);
        const auto rows = patternRows(shape.height, padded);
        ASSERT_TRUE(writeImage(path, shape.width, shape.height, shape.bits, rows, padded, kipTagList(shape.height)));
        expectRoundTrip(path, shape.width, shape.height, shape.bits, rows);
    }
    // PackBits runs and literals longer than 128 bytes: 300-byte runs, 300
    // distinct bytes, a run straddling the row end.
    const std::uint32_t width = 1000, height = 4;
    std::vector<unsigned char> rows(width * height);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::size_t column = i % width;
        rows[i] = column < 300 ? 0xAA : column < 600 ? static_cast<unsigned char>(column * 5 + i / width) : 0x00;
    }
    ASSERT_TRUE(writeImage(path, width, height, 8, rows, width, kipTagList(height)));
    expectRoundTrip(path, width, height, 8, rows);
    // The runs were really compressed.
    EXPECT_LT(readRawTiff(path).entries.at(279).value, rows.size() / 2);
}

TEST(TiffExport, SamplesAreInkAmountsAtTheStatedResolution) {
    TempBaseFolder base;
    const std::string k = writeOneRow(base, "k.tif", 8, 8, 0);
    EXPECT_EQ(tiffNumber(k, TIFFTAG_PHOTOMETRIC), PHOTOMETRIC_MINISWHITE);
    EXPECT_EQ(tiffNumber(k, TIFFTAG_SAMPLESPERPIXEL), 1u);
    EXPECT_EQ(tiffFloat(k, TIFFTAG_XRESOLUTION), 300.0f);
    EXPECT_EQ(tiffFloat(k, TIFFTAG_YRESOLUTION), 600.0f);
    EXPECT_EQ(tiffNumber(k, TIFFTAG_RESOLUTIONUNIT), RESUNIT_INCH);
    const std::string cmyk = writeOneRow(base, "cmyk.tif", 2, 32, 0);
    EXPECT_EQ(tiffNumber(cmyk, TIFFTAG_PHOTOMETRIC), PHOTOMETRIC_SEPARATED);
    EXPECT_EQ(tiffNumber(cmyk, TIFFTAG_SAMPLESPERPIXEL), 4u);
    EXPECT_EQ(tiffNumber(cmyk, TIFFTAG_INKSET), INKSET_CMYK);
}

// An image without rows is still a whole file. libtiff writes it without strip
// tags, so libtiff itself will not read it back; the header and directory are there.
TEST(ExportBitmap, ImageWithoutRowsIsHeadersOnly) {
    TempBaseFolder base;
    const std::string tif = (base.temp() / "empty.tif").string();
    ASSERT_TRUE(writeImage(tif, 40, 0, 1, {}, 8, kipTagList(100)));
    const RawTiff empty = readRawTiff(tif);
    EXPECT_EQ(empty.ifdOffset, 8u);
    EXPECT_EQ(empty.entries.at(257).value, 0u);
    EXPECT_EQ(empty.text(285), "page__test");
    const std::string bmp = (base.temp() / "empty.bmp").string();
    ASSERT_TRUE(writeImage(bmp, 21, 0, 8, {}, 24, ""));
    const ReadImage read = readBmp(bmp);
    EXPECT_EQ(read.width, 21u);
    EXPECT_TRUE(read.rows.empty());
}

TEST(TiffExport, UnknownTagsAreWrittenAndMalformedTriplesSkipped) {
    TempBaseFolder base;
    RVLogCapture log;
    const std::string path = (base.temp() / "custom.tif").string();
    const std::string tags = "int16 65000 7 str 65001 hello int32 65002 70000 float 300 1 int32 x 5 "
                             "int16 274 70000 str 256 wide int16 41000";
    ASSERT_TRUE(writeImage(path, 8, 1, 8, std::vector<unsigned char>(8, 1), 8, tags));
    const RawTiff raw = readRawTiff(path);
    EXPECT_EQ(raw.entries.at(65000).type, TIFF_SHORT);
    EXPECT_EQ(raw.entries.at(65000).value, 7u);
    EXPECT_EQ(raw.text(65001), "hello");
    EXPECT_EQ(raw.entries.at(65002).type, TIFF_LONG);
    EXPECT_EQ(raw.entries.at(65002).value, 70000u);
    EXPECT_EQ(raw.entries.count(274), 0u);      // 70000 does not fit int16
    EXPECT_EQ(raw.entries.at(256).value, 8u);   // the writer owns the layout
    EXPECT_EQ(raw.entries.count(41000), 0u);
    EXPECT_EQ(log.messages().size(), 5u);       // float, x, 70000, 256, the incomplete tail
    EXPECT_EQ(readTiff(path).width, 8u);
}

TEST(ExportBitmap, RefusesWhatItCannotWriteWithALogLine) {
    TempBaseFolder base;
    const std::vector<unsigned char> row(64, 0);
    struct Case { std::string name; std::uint32_t width; int bits; };
    for (const Case& c : {Case{"missing/folder/a.tif", 8, 8}, Case{"a.png", 8, 8}, Case{"noextension", 8, 8},
                          Case{"tif", 8, 8}, Case{"four.tif", 8, 4}, Case{"wide.bmp", 0, 8}, Case{"huge.tif", 0xFFFFFFFFu, 32}}) {
        RVLogCapture log;
        const std::string path = (base.temp() / c.name).string();
        ExportBitmap image(path.c_str(), c.width, 2, 300, 300, c.bits, 6, 0, nullptr, nullptr, 0);
        EXPECT_FALSE(image.IsOpen()) << c.name;
        EXPECT_EQ(image.WriteBand(1, 64, row.data()), 0) << c.name;
        EXPECT_FALSE(log.messages().empty()) << c.name;
        EXPECT_FALSE(std::filesystem::exists(path)) << c.name;
    }
    ExportBitmap nameless(nullptr, 8, 1, 300, 300, 8, 6, 0, nullptr, nullptr, 0);
    EXPECT_EQ(nameless.WriteBand(1, 8, row.data()), 0);
    // The extension is matched without regard to case.
    EXPECT_EQ(readTiff(writeOneRow(base, "UPPER.TIF", 8, 8, 1)).width, 8u);
    EXPECT_EQ(readBytes(writeOneRow(base, "Mixed.Bmp", 8, 8, 1)).at(0), 'B');
}

TEST(ExportBitmap, KeepsToTheStatedHeightAndRowLength) {
    TempBaseFolder base;
    RVLogCapture log;
    const std::string path = (base.temp() / "short.tif").string();
    {
        KIPExportBitmap image(path.c_str(), 16, 4, 300, 300, 8, 6, 0, nullptr, nullptr, 0);
        EXPECT_EQ(image.filePath.GetFullPath(), path.c_str());
        const std::vector<unsigned char> row(16, 0x55);
        EXPECT_EQ(image.WriteBand(5, 16, std::vector<unsigned char>(80, 1).data()), 0);   // past the height
        EXPECT_TRUE(image.IsOpen());
        EXPECT_EQ(image.WriteBand(1, 6, row.data()), 1);    // short row: the rest is no ink
        EXPECT_EQ(image.WriteBand(1, 40, std::vector<unsigned char>(40, 0x55).data()), 1);   // long row: cut
        EXPECT_EQ(image.WriteBand(0, 16, nullptr), 1);
        EXPECT_EQ(image.WriteBand(1, 16, nullptr), 0);
    }   // two rows missing: written blank
    std::vector<std::vector<unsigned char>> expected(4, std::vector<unsigned char>(16, 0));
    std::fill_n(expected[0].begin(), 6, 0x55);
    std::fill_n(expected[1].begin(), 16, 0x55);
    EXPECT_EQ(readTiff(path).rows, expected);
    EXPECT_FALSE(log.messages().empty());
}

TEST(ExportBitmap, FullDiskMakesWriteBandFail) {
    TempBaseFolder base;
    for (const char* name : {"full.tif", "full.bmp"}) {
        const std::string path = (base.temp() / name).string();
        const int status = RunWithFileSizeLimit(64 * 1024, [&] {
            const std::uint32_t width = 4000, height = 400;
            const auto rows = patternRows(height, width);
            bool failed = false;
            {
                ExportBitmap image(path.c_str(), width, height, 300, 300, 8, 6, 0, nullptr, nullptr, 0);
                for (std::uint32_t r = 0; r < height && !failed; ++r)
                    failed = image.WriteBand(1, width, rows.data() + r * width) == 0;
                failed = failed && image.WriteBand(1, width, rows.data()) == 0;   // stays failed
            }
            return failed ? 0 : 1;
        });
        EXPECT_EQ(status, 0) << name;
    }
}
