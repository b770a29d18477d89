#pragma once
// The page table of a raster job file: what each page holds and where its
// images' lines and line indexes lie. Encoded by the writer, parsed and
// checked by the reader.
#include "ZURasterFormat.h"

#include <cstdint>
#include <string>
#include <vector>

struct ZURasterPlane {
    std::string name;            // display name
    std::string internalName;
    int depth = 0;               // bits per pixel: 1, 2 or 8
};

struct ZURasterImageInfo {
    int width = 0;
    int height = 0;
    uint64_t dataOffset = 0;     // line data lies in [dataOffset, dataOffset + dataSize)
    uint64_t dataSize = 0;
    uint64_t indexOffset = 0;    // planes x height line entries, plane after plane
};

struct ZURasterPage {
    int kind = ZURasterFormat::kImagePage;
    int width = 0;
    int height = 0;
    std::vector<ZURasterPlane> planes;
    std::vector<ZURasterImageInfo> images;   // one for an image page, the tiles for a tiled page
};

class ZURasterDirectory {
public:
    // Bytes of the page table for `pages`.
    static std::vector<uint8_t> Encode(const std::vector<ZURasterPage>& pages);
    // Parses `pageCount` pages from `bytes`, checking every cap, that the bytes are used
    // exactly, and that every data and index area lies in [header end, dataEnd) without
    // overlapping another; false (and `pages` unspecified) on any fault.
    static bool Parse(const uint8_t* bytes, size_t size, uint32_t pageCount, uint64_t dataEnd,
                      std::vector<ZURasterPage>& pages);
    // Bytes of an image's line index.
    static uint64_t IndexSize(const ZURasterPage& page, const ZURasterImageInfo& image);
};
