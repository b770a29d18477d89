#pragma once
// Poster panels for "zukip make-job --tiles COLSxROWS": a page cut into
// COLS x ROWS panels, numbered row by row from the top left; the last column
// and the last row take what the division leaves over.
#include <cstdint>
#include <string>
#include <vector>

struct TilePanel {
    uint32_t x = 0;        // left column of the panel in the page
    uint32_t y = 0;        // top row
    uint32_t width = 0;
    uint32_t height = 0;
    int32_t column = 0;    // from 1
    int32_t number = 0;    // from 1, row-major
};

class TileGrid {
public:
    static constexpr int kMaxPanels = 1024;   // tiles a raster page may hold

    // "COLSxROWS"; throws UsageError unless both are whole numbers giving 2 to kMaxPanels panels.
    static TileGrid parse(const std::string& text);

    // The panels of a page; throws UsageError when the page has fewer columns or rows than the grid.
    std::vector<TilePanel> panels(uint32_t pageWidth, uint32_t pageHeight) const;

    // Copies `width` pixels of `depth` bits from pixel x of a packed row into out
    // ((depth * width + 7) / 8 bytes, most significant bit first, bits past the width 0).
    static void copyPixels(const uint8_t* row, int depth, uint32_t x, uint32_t width, uint8_t* out);

    int columns = 0;   // 0: no grid
    int rows = 0;
};
