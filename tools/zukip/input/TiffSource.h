#pragma once
// TIFF images through libtiff: every page of the file; greyscale (either
// photometric), RGB, palette and CMYK; 1, 2, 4, 8 or 16 bits per sample;
// alpha; strips or tiles, samples interleaved or in planes; JPEG-compressed
// YCbCr as RGB. Resolution, orientation and embedded profile are reported.
#include "ImageSource.h"
#include "TiffFile.h"

class TiffSource : public ImageSource {
public:
    // Opens path; throws ToolError when libtiff cannot.
    explicit TiffSource(const std::string& path);

    bool nextFrame(ImageFrame* frame) override;
    void readRow(uint16_t* samples) override;
    void readBits(uint8_t* bits) override;

private:
    void describeFrame(ImageFrame* frame);
    // The stored bytes of the current row for one sample plane (plane 0 when samples are interleaved).
    const uint8_t* rawRow(uint16_t plane);
    void loadBand(uint32_t band);
    [[noreturn]] void fail(const std::string& what) const;

    TiffHandle tif_;
    std::string path_;
    std::string error_;
    bool started_ = false;
    uint32_t width_ = 0, height_ = 0, row_ = 0;
    uint16_t bits_ = 1, samples_ = 1, photometric_ = 0;
    bool separate_ = false;
    int colourSamples_ = 1;
    int alpha_ = -1;                    // sample index of the alpha channel, -1 without
    bool premultiplied_ = false;
    uint16_t* palette_[3] = {};
    bool tiled_ = false;
    uint32_t tileWidth_ = 0, tileHeight_ = 0, band_ = UINT32_MAX;
    size_t rowBytes_ = 0;               // bytes of one row of one plane
    std::vector<uint8_t> rows_;         // the current row per plane, or the current tile band per plane
    std::vector<uint8_t> tile_;
};
