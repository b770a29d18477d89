// The image writer's TIFF and BMP and its refusals: pixels read back with libtiff, the tags and layout
// read from the bytes, and what it does with bad requests (a full disk is a failed job through the driver,
// with its write faults). Then moving a TIFF's directory in front of its image data, where a printer
// reading the file as it arrives looks for it; a file it cannot move stays as it was.
#include "ExportBitmap.h"
#include "ImageReadBack.h"
#include "KIPExportBitmap.h"
#include "PlatformMessageBox.h"
#include "RVLog.h"
#include "TempBaseFolder.h"
#include "TiffDirectoryMover.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <functional>

namespace fs = std::filesystem;

namespace {
// The driver's tag list for an image of the given page height.
std::string kipTagList(std::uint32_t pageHeight) {
    return "int16 259 32773 int32 263 2 int32 266 1 int32 274 1 int32 278 " + std::to_string(pageHeight) +
           " str 285 page__test str 305 Qel str 306 2011";
}

// The bytes of a row as the writer takes it: padded to a multiple of 32 bits.
std::size_t paddedRowBytes(std::uint32_t width, int bitsPerPixel) {
    return (std::size_t{width} * bitsPerPixel + 31) / 32 * 4;
}

// Writes rows (rowBytes each) through KIPExportBitmap, one WriteBand per row,
// after room for the directory when asked (as separations are written);
// true when every WriteBand succeeded.
bool writeImage(const std::string& path, std::uint32_t width, std::uint32_t height, int bitsPerPixel,
                const std::vector<unsigned char>& rows, std::size_t rowBytes, const std::string& tagList,
                bool roomForDirectory = false) {
    KIPExportBitmap image(path.c_str(), width, height, 300.0, 600.0, bitsPerPixel, 6, bitsPerPixel == 32 ? 2 : 0,
                          nullptr, tagList.c_str(), static_cast<int>(tagList.size()));
    bool ok = !roomForDirectory || image.LeaveRoomForDirectory();
    for (std::size_t at = 0; at + rowBytes <= rows.size(); at += rowBytes)
        ok = image.WriteBand(1, static_cast<std::uint32_t>(rowBytes), rows.data() + at) != 0 && ok;
    return ok;
}

// Writes rows differing per row and column but for a run at bytes 200 to 499 (room for the directory when asked).
std::vector<unsigned char> writePattern(const std::string& path, std::uint32_t width, std::uint32_t height, int bits,
                                        const std::string& tags, bool room = false) {
    const std::size_t rowBytes = paddedRowBytes(width, bits);
    std::vector<unsigned char> rows(height * rowBytes);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::size_t column = i % rowBytes;
        rows[i] = column >= 200 && column < 500 ? 0xAA : uint8_t(i / rowBytes * 31 + column * 7 + 13);
    }
    EXPECT_TRUE(writeImage(path, width, height, bits, rows, rowBytes, tags, room)) << path;
    return rows;
}

// writePattern as name in base's "Temp" (a separation when it has room for the directory); its path.
std::string makeSeparation(const TempBaseFolder& base, const std::string& name, std::uint32_t width,
                           std::uint32_t height, int bits, const std::string& tags, bool room = false) {
    const std::string path = (base.temp() / name).string();
    writePattern(path, width, height, bits, tags, room);
    return path;
}

std::vector<unsigned char> slice(const std::vector<unsigned char>& bytes, std::size_t from, std::size_t to) {
    return {bytes.begin() + from, bytes.begin() + to};
}

void put32(std::vector<unsigned char>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes.at(at + i) = static_cast<unsigned char>(value >> (8 * i));
}

fs::path temporaryOf(const std::string& path) { return fs::path(path).parent_path() / ("temp_" + fs::path(path).filename().string()); }

// Moving fails, leaves the file exactly as it was, shows the message once and removes the temporary file.
void expectLeftAlone(const std::string& path, const std::vector<unsigned char>& bytes, const std::string& what) {
    writeBytes(path, bytes);
    MessageBoxCapture boxes;
    EXPECT_EQ(MoveTiffDirectoryToFront(path.c_str()), 0) << what;
    EXPECT_EQ(readBytes(path), bytes) << what;
    EXPECT_EQ(boxes.count("Cannot convert TIF file"), 1) << what;
    EXPECT_FALSE(fs::exists(temporaryOf(path))) << what;
}

// Moving succeeds silently, leaves no temporary file, and libtiff reads the same rows without complaint.
void expectMovedIntact(const std::string& path) {
    const std::vector<std::vector<std::uint8_t>> rows = readTiff(path).rows;
    MessageBoxCapture boxes;
    ASSERT_EQ(MoveTiffDirectoryToFront(path.c_str()), 1);
    EXPECT_TRUE(boxes.texts().empty());
    EXPECT_FALSE(fs::exists(temporaryOf(path)));
    const ReadImage after = readTiff(path);
    EXPECT_EQ(after.rows, rows);
    EXPECT_TRUE(after.messages.empty());
}
}  // namespace

// One row, one column, widths ending inside a byte and PackBits runs and literals past 128 bytes, at every
// depth, read back with libtiff as ink amounts (grey or CMYK) at the stated resolution.
TEST(TiffExport, RoundTripsOddShapesAtEveryDepthAsInkAtTheStatedResolution) {
    TempBaseFolder base;
    const std::string path = (base.temp() / "odd.tif").string();
    struct Shape { std::uint32_t width, height; int bits; };
    for (const auto [width, height, bits] : {Shape{1, 5, 1}, Shape{37, 1, 1}, Shape{8, 3, 1}, Shape{9, 4, 2},
                                             Shape{1, 1, 8}, Shape{33, 6, 8}, Shape{1000, 2, 8}, Shape{5, 3, 32}}) {
        const auto rows = writePattern(path, width, height, bits, kipTagList(height));
        // Pixels read back equal the stored bytes (no padding) of every padded row written.
        const std::size_t padded = paddedRowBytes(width, bits), stored = (std::size_t{width} * bits + 7) / 8;
        const ReadImage image = readTiff(path);
        ASSERT_EQ(image.rows.size(), height);
        for (std::uint32_t r = 0; r < height; ++r)
            ASSERT_EQ(image.rows[r], std::vector<unsigned char>(rows.begin() + r * padded, rows.begin() + r * padded + stored))
                << "row " << r << " of " << width << " x " << height << " at " << bits << " bits";
        EXPECT_TRUE(image.messages.empty());
        EXPECT_EQ(tiffNumber(path, TIFFTAG_PHOTOMETRIC), bits == 32 ? PHOTOMETRIC_SEPARATED : PHOTOMETRIC_MINISWHITE);
        EXPECT_EQ(tiffNumber(path, TIFFTAG_INKSET), bits == 32 ? INKSET_CMYK : 0u);
        EXPECT_EQ(image.samplesPerPixel, bits == 32 ? 4u : 1u);
        EXPECT_EQ(tiffFloat(path, TIFFTAG_XRESOLUTION), 300.0f);
        EXPECT_EQ(tiffFloat(path, TIFFTAG_YRESOLUTION), 600.0f);
        EXPECT_EQ(tiffNumber(path, TIFFTAG_RESOLUTIONUNIT), RESUNIT_INCH);
    }
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
    // The extension is matched without regard to case.
    EXPECT_EQ(readTiff(makeSeparation(base, "UPPER.TIF", 8, 1, 8, "")).width, 8u);
    EXPECT_EQ(readBytes(makeSeparation(base, "Mixed.Bmp", 8, 1, 8, "")).at(0), 'B');
}

TEST(ExportBitmap, KeepsToTheStatedHeightAndRowLength) {
    TempBaseFolder base;
    RVLogCapture log;
    const std::string path = (base.temp() / "short.tif").string();
    {
        KIPExportBitmap image(path.c_str(), 16, 4, 300, 300, 8, 6, 0, nullptr, nullptr, 0);
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

// The pixels of 1, 2 and 8-bit BMP separations are checked through the driver; here what those do
// not show: a 2-bit image is stored at 4 bits, each depth's palette of greys runs from white (no
// ink) to black (full ink), 32 bits keep their bytes upright, and the resolution is in pixels per metre.
TEST(BmpExport, PaletteOfEveryDepthThirtyTwoBitPixelsAndResolution) {
    TempBaseFolder base;
    const std::string path = (base.temp() / "sep.bmp").string();
    for (const int bits : {1, 2, 8, 32}) {
        SCOPED_TRACE(std::to_string(bits) + " bits");
        const auto rows = writePattern(path, 3, 2, bits, "");
        const ReadImage bmp = readBmp(path);
        EXPECT_EQ(bmp.bitsPerSample, bits == 2 ? 4u : static_cast<uint32_t>(bits));
        EXPECT_EQ(littleEndian(readBytes(path), 38, 4), 11811u);   // 300 dpi
        EXPECT_EQ(littleEndian(readBytes(path), 42, 4), 23622u);   // 600 dpi
        ASSERT_EQ(bmp.palette.size(), bits == 32 ? 0u : size_t{1} << bits);
        if (bits == 32) {
            ASSERT_EQ(bmp.rows.size(), 2u);
            EXPECT_EQ(bmp.rows[1], std::vector<uint8_t>(rows.begin() + 12, rows.end()));
            continue;
        }
        EXPECT_EQ(bmp.palette.front(), 0xFFFFFFu);
        EXPECT_EQ(bmp.palette.back(), 0u);
        for (std::size_t i = 1; i < bmp.palette.size(); ++i) EXPECT_LT(bmp.palette[i], bmp.palette[i - 1]);
    }
}

// Where the data lies after the move is checked on the driver's separations; here every kind of
// image the mover meets keeps its values (moved as they were) and directory right after the header.
TEST(TiffDirectoryMover, PutsValuesAndDirectoryInFrontOfTheData) {
    TempBaseFolder base;
    // Several strips, and four samples whose bits per sample lie out of line.
    const std::string strips = makeSeparation(base, "strips.tif", 30, 10, 8, kipTagList(10) + " int32 278 3");
    const std::string cmyk = makeSeparation(base, "cmyk.tif", 7, 5, 32, kipTagList(5));
    ASSERT_EQ(readRawTiff(strips).entries.at(273).count, 4u);
    // A separation has room for the directory (moved in place); other images have not (copied).
    for (const std::string& path : {makeSeparation(base, "C.tif", 50, 20, 1, kipTagList(20), true),
                                    makeSeparation(base, "M.tif", 50, 20, 1, kipTagList(20)), strips, cmyk}) {
        SCOPED_TRACE(path);
        const RawTiff before = readRawTiff(path);
        const std::size_t values = before.ifdOffset + before.ifdLength();
        expectMovedIntact(path);
        const RawTiff after = readRawTiff(path);
        EXPECT_EQ(after.ifdOffset, 8 + before.bytes.size() - values);
        // The values move as they were unless they are strip offsets; a single strip follows the directory.
        if (before.entries.at(273).count == 1) {
            EXPECT_EQ(slice(after.bytes, 8, after.ifdOffset), slice(before.bytes, values, before.bytes.size()));
            EXPECT_EQ(after.entries.at(273).value, after.ifdOffset + after.ifdLength());
        }
        EXPECT_EQ(tiffText(path, TIFFTAG_PAGENAME), "page__test");
        EXPECT_EQ(tiffFloat(path, TIFFTAG_XRESOLUTION), 300.0f);
    }
}

TEST(TiffDirectoryMover, TruncatedCorruptOrForeignFilesAreLeftAsTheyWere) {
    TempBaseFolder base;
    const std::string path = makeSeparation(base, "M.tif", 24, 6, 8, kipTagList(6));
    const RawTiff good = readRawTiff(path);
    const auto size = static_cast<std::uint32_t>(good.bytes.size());
    const std::size_t pageName = good.entries.at(285).fieldAt;
    const std::size_t count = good.ifdOffset;
    const std::vector<std::pair<std::string, std::function<void(std::vector<unsigned char>&)>>> corruptions = {
        {"big-endian", [](auto& b) { b[0] = b[1] = 'M'; }},
        {"directory past the end", [&](auto& b) { put32(b, 4, size + 10); }},
        {"negative entry count", [&](auto& b) { b[count] = 0x00; b[count + 1] = 0x80; }},
        {"entries past the end", [&](auto& b) { b[count] = 0xFF; b[count + 1] = 0x7F; }},
        {"value past the end", [&](auto& b) { put32(b, pageName, size - 3); }},
        {"unknown type", [&](auto& b) { b[pageName - 6] = 99; }},
        {"strip outside the data", [&](auto& b) { put32(b, good.entries.at(273).fieldAt, good.ifdOffset + 2); }},
        {"second directory", [&](auto& b) { put32(b, good.ifdOffset + good.ifdLength() - 4, 8); }},
    };
    for (std::size_t length = 0; length < good.bytes.size(); ++length)
        expectLeftAlone(path, slice(good.bytes, 0, length), "prefix of " + std::to_string(length));
    for (const auto& [what, corrupt] : corruptions) {
        std::vector<unsigned char> bytes = good.bytes;
        corrupt(bytes);
        expectLeftAlone(path, bytes, what);
    }
}
