#pragma once
// Opening TIFF files for the tool with libtiff's messages kept per handle
// (never process-wide): the first error text is kept for the one line the
// tool prints, warnings are dropped.
#include <tiffio.h>

#include <memory>
#include <string>

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

// Opens path with the libtiff mode ("r", "w"); null when it cannot. The first
// error text of the handle's life goes to *error when error is given.
TiffHandle OpenTiff(const std::string& path, const char* mode, std::string* error);
