#pragma once
// Writes one image as an uncompressed Windows BMP (BITMAPINFOHEADER, BI_RGB)
// of 1, 2, 8 or 32 bits per pixel, rows padded to 4 bytes.
//
// Rows go into the file in the order they arrive. BMP files with a positive
// height are bottom-up, so the first row written is the bottom row of the
// picture a viewer shows; the KIP controller takes the rows in file order,
// and the driver places each row's bytes for it before writing.
//
// Palettes map ink amounts to grey (index 0 = white = no ink, the highest
// index = black = full ink). A 2-bit BMP (biBitCount 2) is outside the
// common BMP subset: the KIP controller reads it, many viewers will not.
// 32-bit rows are stored as given (four 8-bit samples per pixel).
#include "ImageBandSink.h"

#include <cstdio>
#include <memory>
#include <string>

class BmpBandSink final : public ImageBandSink {
public:
    // Creates the file and writes headers and palette; null (logged, no file left behind) when it cannot.
    static std::unique_ptr<BmpBandSink> open(const ImageLayout& layout);
    ~BmpBandSink() override;   // closes the file if finish() was not called

    BmpBandSink(const BmpBandSink&) = delete;
    BmpBandSink& operator=(const BmpBandSink&) = delete;

    std::size_t rowBytes() const override { return rowBytes_; }
    bool writeRow(unsigned char* row) override;
    bool finish() override;

private:
    BmpBandSink(const ImageLayout& layout, std::size_t rowBytes);
    bool writeHeaders(const ImageLayout& layout);

    std::string path_;
    std::size_t rowBytes_;
    std::FILE* file_ = nullptr;
};
