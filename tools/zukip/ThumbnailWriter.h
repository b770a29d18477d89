#pragma once
// A small preview of a page as a 24-bit BMP, the thumbnail a host hands to the
// driver with each job, made from the page's rows as they pass.
#include "RasterPage.h"

#include <cstdint>
#include <vector>

class ThumbnailWriter {
public:
    static constexpr uint32_t kMaxSide = 128;   // longest side of the preview in pixels

    // A white preview of a page of this shape (size, plane names and depths; data is not used).
    explicit ThumbnailWriter(const RasterPage& shape);
    // Takes row y of every plane of the page (rows[p] packed as shape's plane p), rows top down
    // (nearest-pixel sampling; Cyan, Magenta, Yellow and Black mixed subtractively, other planes ignored).
    void addRow(uint32_t y, const uint8_t* const* rows);
    // The BMP file bytes. A page without pixels gives a 1 x 1 white image.
    const std::vector<uint8_t>& bmp() const { return bmp_; }

private:
    static constexpr uint32_t kHeaderSize = 14 + 40;

    RasterPage shape_;
    std::vector<int> inks_;   // per plane: 0..3 for Cyan, Magenta, Yellow, Black; -1 for other planes
    uint32_t width_ = 0, height_ = 0, stride_ = 0;
    uint32_t nextRow_ = 0;    // the next preview row to fill, top down
    std::vector<uint8_t> bmp_;
};
