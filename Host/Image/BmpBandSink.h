#pragma once
// Writes one image as an uncompressed Windows BMP (BITMAPINFOHEADER, BI_RGB)
// of 1, 2, 8 or 32 bits per pixel, rows padded to 4 bytes.
//
// The file is laid out as BMP readers expect it: a positive height, rows
// bottom-up, so the rows (given top row first) are placed from the end of
// the pixel data towards its start and viewers show the picture upright.
//
// Palettes map ink amounts to grey (index 0 = white = no ink, the highest
// index = black = full ink). 2 bits per pixel is not a standard BMP depth:
// such images are stored as 4-bit BMPs with a four-entry palette, each pixel
// keeping its value. 32-bit rows are stored as given (four 8-bit samples per
// pixel).
#include "ImageBandSink.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

class BmpBandSink final : public ImageBandSink {
public:
    // Creates the file and writes headers and palette; null (logged, no file left behind) when it cannot.
    static std::unique_ptr<BmpBandSink> open(const ImageLayout& layout);
    ~BmpBandSink() override;   // closes the file if finish() was not called

    BmpBandSink(const BmpBandSink&) = delete;
    BmpBandSink& operator=(const BmpBandSink&) = delete;

    // Bytes of one row as given: packed at the image's own depth, padded to 4 bytes.
    std::size_t rowBytes() const override { return rowBytes_; }
    bool writeRow(const unsigned char* row) override;
    bool finish() override;

private:
    BmpBandSink(const ImageLayout& layout, int storedBits);
    bool writeHeaders(const ImageLayout& layout);

    std::string path_;
    int storedBits_;                  // bits per pixel in the file
    std::size_t rowBytes_;            // one row as given
    std::size_t storedRowBytes_;      // one row in the file
    std::uint32_t height_;
    std::uint32_t nextRow_ = 0;       // rows written, from the top
    std::uint64_t dataOffset_ = 0;    // where the pixel data starts
    std::vector<unsigned char> widened_;   // a 2-bit row at 4 bits, reused for every row
    std::FILE* file_ = nullptr;
};
