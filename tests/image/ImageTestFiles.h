#pragma once
// Shared helpers of the image tests: images made by the real writer, and a
// TIFF's directory read straight from its bytes (libtiff's view comes from
// ImageReadBack.h).
#include "ImageReadBack.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The driver's tag list for an image of the given page height.
std::string kipTagList(std::uint32_t pageHeight);

// The bytes of a row as the writer takes it: padded to a multiple of 32 bits.
std::size_t paddedRowBytes(std::uint32_t width, int bitsPerPixel);

// Rows for a test image, each rowBytes long; bytes differ per row and column.
std::vector<unsigned char> patternRows(std::uint32_t rows, std::size_t rowBytes, unsigned seed = 1);

// Writes rows (rowBytes each) through KIPExportBitmap, one WriteBand per row,
// after room for the directory when asked (as separations are written);
// true when every WriteBand succeeded.
bool writeImage(const std::string& path, std::uint32_t width, std::uint32_t height, int bitsPerPixel,
                const std::vector<unsigned char>& rows, std::size_t rowBytes, const std::string& tagList,
                bool roomForDirectory = false);

// The first directory of a little-endian TIFF, read straight from its bytes.
struct RawTiff {
    struct Entry {
        std::uint16_t type;
        std::uint32_t count;
        std::uint32_t value;   // value or offset field
        std::size_t fieldAt;   // file position of the value or offset field
    };
    std::vector<unsigned char> bytes;
    std::uint32_t ifdOffset = 0;
    std::map<std::uint16_t, Entry> entries;

    std::uint32_t ifdLength() const { return 12 * static_cast<std::uint32_t>(entries.size()) + 6; }
    std::string text(std::uint16_t tag) const;   // ASCII value without its terminator, inline or not
};
RawTiff readRawTiff(const std::string& path);
std::uint32_t le32(const std::vector<unsigned char>& bytes, std::size_t at);
