#pragma once
// Reads the pages named on the make-job command line. Each argument is one
// page: an image file (8-bit CMYK, 8-bit greyscale or 1-bit), or a list of
// separations "NAME=FILE[,NAME=FILE...]" whose files are 1-bit or 8-bit
// greyscale TIFFs of one size, each becoming the plane NAME.
#include "RasterPage.h"

#include <string>
#include <utility>
#include <vector>

class PageInput {
public:
    // (plane name, file) pairs of one argument; the name is empty for a whole image. Throws UsageError for
    // an empty name or file, or a name given twice.
    static std::vector<std::pair<std::string, std::string>> parse(const std::string& argument);
    // The page an argument names; throws ToolError for unreadable files or separations that do not fit together.
    static RasterPage read(const std::string& argument);
};
