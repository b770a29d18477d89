#pragma once
// Reads an image file into the pages of a job: one page per page of the
// image, converted to the job's inks, turned upright by the image's
// orientation and brought to the job's resolution.
#include "ColourConverter.h"
#include "RasterPage.h"

#include <string>
#include <vector>

// What a page of an image will need from the printer, known before it is read.
struct PageShape {
    RasterPage planes;    // plane names and depths, no data
    double xDpi = 0;      // the page's resolution, 0 when the image does not say
    double yDpi = 0;
    bool colour = false;  // RGB or CMYK
};

struct JobGeometry {
    double xDpi = 0;      // the job's resolution
    double yDpi = 0;
};

class PageReader {
public:
    // The pages of an image with the planes each gives when printed in full colour (Cyan, Magenta, Yellow,
    // Black; or Black alone for greyscale). Throws ToolError for a file zukip cannot read.
    static std::vector<PageShape> shapes(const std::string& path);
    // Every page of the image: planes for target (greyscale pages always Black alone; 1-bit pages as
    // bits), upright, and resampled to the job's resolution when the image gives its own. Throws ToolError.
    static std::vector<RasterPage> read(const std::string& path, InkTarget target, ColourConverter& converter,
                                        const JobGeometry& job);
};
