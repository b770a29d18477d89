// Moving a TIFF's directory in front of its image data, where a printer reading
// the file as it arrives looks for it; a file it cannot move stays as it was.
#include "ImageTestFiles.h"
#include "PlatformMessageBox.h"
#include "TempBaseFolder.h"
#include "TiffDirectoryMover.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <functional>

namespace fs = std::filesystem;

namespace {
const char* const kFailure = "Cannot convert TIF file";

std::string makeSeparation(const TempBaseFolder& base, const std::string& name, std::uint32_t width,
                           std::uint32_t height, int bits, const std::string& tags, bool room = false) {
    const std::string path = (base.temp() / name).string();
    const std::size_t rowBytes = paddedRowBytes(width, bits);
    EXPECT_TRUE(writeImage(path, width, height, bits, patternRows(height, rowBytes), rowBytes, tags, room));
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
    EXPECT_EQ(boxes.count(kFailure), 1) << what;
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

TEST(TiffDirectoryMover, PutsValuesAndDirectoryInFrontOfTheData) {
    TempBaseFolder base;
    // A separation has room for the directory (moved in place); other images have not (copied).
    for (const std::string& path : {makeSeparation(base, "C.tif", 50, 20, 1, kipTagList(20), true),
                                    makeSeparation(base, "M.tif", 50, 20, 1, kipTagList(20))}) {
        SCOPED_TRACE(path);
        const RawTiff before = readRawTiff(path);
        const std::uint32_t dataStart = before.entries.at(273).value;
        const std::uint32_t O = before.ifdOffset, L = before.ifdLength();
        const auto T = static_cast<std::uint32_t>(before.bytes.size()) - O, V = T - L;
        expectMovedIntact(path);

        // Header, the values (moved as they were), the directory, then the image data.
        const RawTiff after = readRawTiff(path);
        ASSERT_EQ(after.bytes.size(), before.bytes.size() - (dataStart - 8));
        EXPECT_EQ(slice(after.bytes, 0, 4), slice(before.bytes, 0, 4));
        EXPECT_EQ(after.ifdOffset, 8 + V);
        EXPECT_EQ(slice(after.bytes, 8, 8 + V), slice(before.bytes, O + L, before.bytes.size()));
        EXPECT_EQ(slice(after.bytes, T + 8, after.bytes.size()), slice(before.bytes, dataStart, O));
        EXPECT_EQ(after.entries.at(273).value, T + 8);
        EXPECT_EQ(tiffText(path, TIFFTAG_PAGENAME), "page__test");
        EXPECT_EQ(tiffFloat(path, TIFFTAG_XRESOLUTION), 300.0f);
    }
    // Several strips, and four samples whose bits per sample lie out of line.
    const std::string strips = makeSeparation(base, "strips.tif", 30, 10, 8, kipTagList(10) + " int32 278 3");
    const std::string cmyk = makeSeparation(base, "cmyk.tif", 7, 5, 32, kipTagList(5));
    ASSERT_EQ(readRawTiff(strips).entries.at(273).count, 4u);
    ASSERT_EQ(readRawTiff(cmyk).entries.at(258).count, 4u);
    for (const std::string& path : {strips, cmyk}) {
        SCOPED_TRACE(path);
        expectMovedIntact(path);
    }
}

TEST(TiffDirectoryMover, TruncatedCorruptOrForeignFilesAreLeftAsTheyWere) {
    TempBaseFolder base;
    const std::string path = makeSeparation(base, "M.tif", 24, 6, 8, kipTagList(6));
    const RawTiff good = readRawTiff(path);
    const auto size = static_cast<std::uint32_t>(good.bytes.size());
    const std::size_t pageName = good.entries.at(285).fieldAt;
    const std::size_t xResolution = good.entries.at(282).fieldAt;
    const std::size_t count = good.ifdOffset;
    const std::size_t next = good.ifdOffset + good.ifdLength() - 4;
    const std::vector<std::pair<std::string, std::function<void(std::vector<unsigned char>&)>>> corruptions = {
        {"big-endian", [](auto& b) { b[0] = b[1] = 'M'; }},
        {"not 42", [](auto& b) { b[2] = 43; }},
        {"directory past the end", [&](auto& b) { put32(b, 4, size + 10); }},
        {"directory at 0", [](auto& b) { put32(b, 4, 0); }},
        {"directory in the header", [](auto& b) { put32(b, 4, 4); }},
        {"negative entry count", [&](auto& b) { b[count] = 0x00; b[count + 1] = 0x80; }},
        {"entries past the end", [&](auto& b) { b[count] = 0xFF; b[count + 1] = 0x7F; }},
        {"value past the end", [&](auto& b) { put32(b, pageName, size - 3); }},
        {"value offset wraps", [&](auto& b) { put32(b, pageName, 0xFFFFFFFFu); }},
        {"value in the image data", [&](auto& b) { put32(b, pageName, 8); }},
        {"value count overflows", [&](auto& b) { put32(b, xResolution - 4, 0x40000000u); }},
        {"unknown type", [&](auto& b) { b[pageName - 6] = 99; }},
        {"strip outside the data", [&](auto& b) { put32(b, good.entries.at(273).fieldAt, good.ifdOffset + 2); }},
        {"second directory", [&](auto& b) { put32(b, next, 8); }},
    };
    for (std::size_t length = 0; length < good.bytes.size(); ++length)
        expectLeftAlone(path, slice(good.bytes, 0, length), "prefix of " + std::to_string(length));
    for (const auto& [what, corrupt] : corruptions) {
        std::vector<unsigned char> bytes = good.bytes;
        corrupt(bytes);
        expectLeftAlone(path, bytes, what);
    }
}
