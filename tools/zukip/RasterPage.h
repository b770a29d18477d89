#pragma once
// A page in printer terms: its size and planes, with the rows of ink held of
// it at the moment (none for a page's shape; a row or a band of rows while it
// is written; the whole page where an image must be turned, and the demo's
// small poster), packed most significant bit first (1 bit: set = ink;
// 8 bits: 255 = full ink).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct RasterPlane {
    std::string name;            // colorant internal name, for example "Cyan"
    int depth = 8;               // bits per pixel: 1 or 8
    size_t rowBytes = 0;         // (depth * width + 7) / 8
    std::vector<uint8_t> data;   // the rows held, rowBytes each

    const uint8_t* row(uint32_t y) const { return data.data() + y * rowBytes; }
    uint8_t* row(uint32_t y) { return data.data() + y * rowBytes; }
};

struct RasterPage {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<RasterPlane> planes;
    std::string source;          // the image file(s) it came from, for messages

    // Largest bits per pixel over the planes (0 without planes).
    int maxDepth() const {
        int depth = 0;
        for (const RasterPlane& p : planes) depth = p.depth > depth ? p.depth : depth;
        return depth;
    }
};

// Bytes of one packed row.
inline size_t packedRowBytes(int depth, uint32_t width) {
    return (static_cast<size_t>(depth) * width + 7) / 8;
}
