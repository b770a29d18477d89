#pragma once
// A small preview of a page as a 24-bit BMP, the thumbnail a host hands to the
// driver with each job.
#include "RasterPage.h"

#include <cstdint>
#include <vector>

class ThumbnailWriter {
public:
    static constexpr uint32_t kMaxSide = 128;   // longest side of the preview in pixels

    // The BMP file bytes of a preview of page (nearest-pixel sampling; Cyan, Magenta, Yellow and Black mixed
    // subtractively, other planes ignored). A page without pixels gives a 1 x 1 white image.
    static std::vector<uint8_t> encode(const RasterPage& page);
};
