#pragma once
// PNG images through libpng: every colour type and depth, expanded to
// greyscale or RGB of 8 or 16 bits, transparency composited on white;
// physical resolution and embedded profile are reported.
#include "ImageSource.h"

#include <cstdio>
#include <png.h>

class PngSource : public ImageSource {
public:
    // Opens path and reads its header; throws ToolError when libpng cannot.
    explicit PngSource(const std::string& path);
    ~PngSource() override;
    PngSource(const PngSource&) = delete;
    PngSource& operator=(const PngSource&) = delete;

    bool nextFrame(ImageFrame* frame) override;
    void readRow(uint16_t* samples) override;
    void readBits(uint8_t* bits) override;

    // The message of libpng's last error, filled by its error callback.
    struct ErrorState {
        char message[256] = {};
    };

private:
    [[noreturn]] void fail(const std::string& what) const;

    std::string path_;
    std::FILE* file_ = nullptr;
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
    ErrorState error_;
    bool started_ = false;
    uint32_t width_ = 0, height_ = 0, row_ = 0;
    int channels_ = 1;          // after expansion, with alpha
    int depth_ = 8;
    std::vector<uint8_t> image_;   // an interlaced image, read whole; else one row
};
