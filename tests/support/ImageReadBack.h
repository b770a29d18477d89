#pragma once
// Images that the driver wrote, read back independently: TIFF with libtiff,
// BMP from its bytes by the format's own rules (either row order, any
// standard depth, the palette), and a TIFF's directory straight from its bytes.
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

// One image read back.
struct ReadImage {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bitsPerSample = 0;
    uint32_t samplesPerPixel = 0;
    // Top row first. TIFF: as stored. BMP: one byte per pixel (its palette
    // index), four per pixel at 32 bits, without padding.
    std::vector<std::vector<uint8_t>> rows;
    std::vector<uint32_t> palette;            // BMP: 0xRRGGBB of each entry
    std::vector<std::string> messages;        // TIFF: libtiff's errors and warnings while reading
};

// A TIFF read with libtiff; fails the test (ADD_FAILURE) when it cannot be read.
ReadImage readTiff(const std::filesystem::path& path);
// The numeric or text value of a tag read with libtiff ("" / 0 when absent).
uint32_t tiffNumber(const std::filesystem::path& path, uint16_t tag);
std::string tiffText(const std::filesystem::path& path, uint16_t tag);
float tiffFloat(const std::filesystem::path& path, uint16_t tag);
// An uncompressed BMP read from its bytes; fails the test when it is not one.
ReadImage readBmp(const std::filesystem::path& path);
// The pixels of a row packed at bits per pixel (1, 2, 4 or 8; MSB first), one byte each.
std::vector<uint8_t> unpackPixels(const std::vector<uint8_t>& packed, int bits, uint32_t width);

// The first directory of a little-endian TIFF, read straight from its bytes.
struct RawTiff {
    struct Entry {
        uint16_t type;
        uint32_t count;
        uint32_t value;     // value or offset field
        size_t fieldAt;     // file position of the value or offset field
    };
    std::vector<unsigned char> bytes;
    uint32_t ifdOffset = 0;
    std::map<uint16_t, Entry> entries;

    uint32_t ifdLength() const { return 12 * static_cast<uint32_t>(entries.size()) + 6; }
    std::string text(uint16_t tag) const;   // ASCII value without its terminator, inline or not
};
RawTiff readRawTiff(const std::filesystem::path& path);
// The little-endian number of size bytes (at most 4) at `at`.
uint32_t littleEndian(const std::vector<unsigned char>& bytes, size_t at, int size);

// The files in folder (names only), sorted; empty when it cannot be read.
std::vector<std::string> fileNames(const std::filesystem::path& folder);
