#include "TileGrid.h"

#include "CommandLine.h"
#include "ToolError.h"

#include <cstring>

TileGrid TileGrid::parse(const std::string& text) {
    const size_t sep = text.find_first_of("xX");
    if (sep == std::string::npos) throw UsageError("--tiles takes COLSxROWS, for example 2x2 (got \"" + text + "\")");
    TileGrid grid;
    grid.columns = int(parseNumber(text.substr(0, sep), "--tiles columns", 1, kMaxPanels));
    grid.rows = int(parseNumber(text.substr(sep + 1), "--tiles rows", 1, kMaxPanels));
    const long count = long(grid.columns) * grid.rows;
    // A request of one tile is not a tiled request for the driver.
    if (count < 2 || count > kMaxPanels)
        throw UsageError("--tiles " + text + " gives " + std::to_string(count) + " panels; 2 to " +
                         std::to_string(kMaxPanels) + " are possible");
    return grid;
}

std::vector<TilePanel> TileGrid::panels(uint32_t pageWidth, uint32_t pageHeight) const {
    if (pageWidth < uint32_t(columns) || pageHeight < uint32_t(rows))
        throw UsageError("a page of " + std::to_string(pageWidth) + " x " + std::to_string(pageHeight) +
                         " pixels cannot be cut into " + std::to_string(columns) + " x " + std::to_string(rows) +
                         " panels");
    const uint32_t width = pageWidth / uint32_t(columns), height = pageHeight / uint32_t(rows);
    std::vector<TilePanel> result;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            TilePanel p;
            p.x = uint32_t(c) * width;
            p.y = uint32_t(r) * height;
            p.width = c + 1 < columns ? width : pageWidth - p.x;
            p.height = r + 1 < rows ? height : pageHeight - p.y;
            p.column = c + 1;
            p.number = int32_t(result.size()) + 1;
            result.push_back(p);
        }
    return result;
}

void TileGrid::copyPixels(const uint8_t* row, int depth, uint32_t x, uint32_t width, uint8_t* out) {
    const uint64_t first = uint64_t(depth) * x, bits = uint64_t(depth) * width;
    const size_t bytes = size_t((bits + 7) / 8);
    if (first % 8 == 0) {
        std::memcpy(out, row + first / 8, bytes);
    } else {
        // Each output byte straddles two input bytes.
        const unsigned shift = unsigned(first % 8);
        const uint8_t* in = row + first / 8;
        const size_t available = size_t((first + bits + 7) / 8 - first / 8);
        for (size_t i = 0; i < bytes; ++i) {
            const unsigned next = i + 1 < available ? in[i + 1] : 0;
            out[i] = uint8_t(in[i] << shift | next >> (8 - shift));
        }
    }
    if (bits % 8) out[bytes - 1] &= uint8_t(0xFF << (8 - bits % 8));
}
