#pragma once
// The demo's sample image: a CMYK poster with a gradient in each of the four
// inks and bands where they mix, written as an 8-bit CMYK TIFF.
#include "RasterPage.h"

#include <string>

class DemoPoster {
public:
    // A width x height page of four 8-bit planes Cyan, Magenta, Yellow, Black.
    static RasterPage make(uint32_t width, uint32_t height);
    // Writes page's four 8-bit planes as a CMYK TIFF (LZW); throws ToolError naming the file on failure.
    static void writeTiff(const RasterPage& page, const std::string& path);
};
