#pragma once
// Images that the driver wrote, read back independently: TIFF with libtiff,
// BMP from its bytes by the format's own rules (either row order, any
// standard depth, the palette).
#include <cstdint>
#include <filesystem>
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

// The files in folder (names only), sorted; empty when it cannot be read.
std::vector<std::string> fileNames(const std::filesystem::path& folder);
