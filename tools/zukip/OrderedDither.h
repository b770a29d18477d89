#pragma once
// Halftones 8-bit ink planes to 1 bit with a 16 x 16 Bayer matrix: an ink
// value v covers about v / 255 of any 16 x 16 block; 0 prints nothing and
// 255 prints everywhere.
#include "RasterPage.h"

#include <cstdint>

class OrderedDither {
public:
    // Dithers one row of `width` 8-bit ink values (row number y picks the matrix row) into packed 1-bit out.
    static void ditherRow(const uint8_t* ink, uint32_t width, uint32_t y, uint8_t* out);
    // The threshold at (x, y): an ink value above it sets the pixel; 0..254.
    static uint8_t threshold(uint32_t x, uint32_t y);
};
