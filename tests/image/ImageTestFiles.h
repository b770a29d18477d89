#pragma once
// Shared helpers of the image tests: images made by the real writer (read
// back with ImageReadBack.h).
#include "ImageReadBack.h"

#include <cstdint>
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
