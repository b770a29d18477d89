#pragma once
// Reads the image types make-job accepts: 8-bit CMYK (planes Cyan, Magenta,
// Yellow, Black), 8-bit greyscale (plane Black) and 1-bit bilevel (plane
// Black), uncompressed or with any codec libtiff decodes, in strips.
#include "RasterPage.h"

#include <string>

class TiffImageReader {
public:
    // Largest page accepted, in bytes over all planes, so that a hostile header cannot make us allocate without bound.
    static constexpr size_t kMaxPageBytes = size_t(1) << 30;

    // The first image of the file as ink planes; throws ToolError naming the file
    // when it is missing, unreadable, not a TIFF, of an unsupported type, too large or corrupt.
    static RasterPage read(const std::string& path);
};
