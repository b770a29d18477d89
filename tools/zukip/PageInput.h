#pragma once
// Reads the pages named on the make-job command line. Each argument is an
// image file (TIFF, PNG or JPEG; every page of it becomes a page of the
// job), or a list of separations "NAME=FILE[,NAME=FILE...]" of black-and-white
// or greyscale images of one size, each becoming the plane NAME of one page.
#include "PageReader.h"

#include <string>
#include <utility>
#include <vector>

class PageInput {
public:
    // (plane name, file) pairs of one argument; the name is empty for a whole image. Throws UsageError for
    // an empty name or file, or a name given twice.
    static std::vector<std::pair<std::string, std::string>> parse(const std::string& argument);
    // The pages an argument names, before reading them; throws ToolError for unreadable files or
    // separations that are in colour or do not fit together.
    static std::vector<PageShape> shapes(const std::string& argument);
    // The pages an argument names, read for target; throws ToolError.
    static std::vector<RasterPage> read(const std::string& argument, InkTarget target, ColourConverter& converter,
                                        const JobGeometry& job);
};
