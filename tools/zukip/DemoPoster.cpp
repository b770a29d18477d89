#include "DemoPoster.h"

#include "TiffFile.h"
#include "ToolError.h"

#include <tiffio.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

// Ink values of the poster at (x, y): five bands, one ramp per ink left to
// right, then a band where cyan and magenta cross under a yellow ramp.
void inkAt(uint32_t x, uint32_t y, uint32_t width, uint32_t height, uint8_t ink[4]) {
    const uint8_t ramp = uint8_t(255u * x / (width > 1 ? width - 1 : 1));
    const uint8_t fall = uint8_t(255u * y / (height > 1 ? height - 1 : 1));
    const uint32_t band = 5 * y / height;
    ink[0] = ink[1] = ink[2] = ink[3] = 0;
    if (band < 4) {
        ink[band] = ramp;
        // A thin black frame around each band keeps the page edges visible.
        if (x < 8 || x + 8 >= width) ink[3] = 255;
        return;
    }
    ink[0] = ramp;
    ink[1] = uint8_t(255 - ramp);
    ink[2] = fall;
}

}  // namespace

RasterPage DemoPoster::make(uint32_t width, uint32_t height) {
    RasterPage page;
    page.width = width;
    page.height = height;
    page.source = "demo poster";
    static const char* const kNames[4] = {"Cyan", "Magenta", "Yellow", "Black"};
    for (const char* name : kNames) {
        RasterPlane plane;
        plane.name = name;
        plane.depth = 8;
        plane.rowBytes = width;
        plane.data.assign(size_t(width) * height, 0);
        page.planes.push_back(std::move(plane));
    }
    uint8_t ink[4];
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            inkAt(x, y, width, height, ink);
            for (int p = 0; p < 4; ++p) page.planes[p].row(y)[x] = ink[p];
        }
    return page;
}

void DemoPoster::writeTiff(const RasterPage& page, const std::string& path) {
    std::string error;
    TiffHandle handle = OpenTiff(path, "w", &error);
    TIFF* tif = handle.get();
    if (!tif) throw ToolError("cannot create " + path + (error.empty() ? "" : ": " + error));
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, page.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, page.height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 4);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_SEPARATED);
    TIFFSetField(tif, TIFFTAG_INKSET, INKSET_CMYK);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 16);
    std::vector<uint8_t> line(size_t(page.width) * 4);
    bool ok = true;
    for (uint32_t y = 0; ok && y < page.height; ++y) {
        for (uint32_t x = 0; x < page.width; ++x)
            for (int p = 0; p < 4; ++p) line[4 * size_t(x) + p] = page.planes[p].row(y)[x];
        ok = TIFFWriteScanline(tif, line.data(), y, 0) >= 0;
    }
    ok = ok && TIFFFlush(tif) == 1;
    handle.reset();
    if (!ok) {
        std::remove(path.c_str());
        throw ToolError("cannot write " + path + (error.empty() ? "" : ": " + error));
    }
}
