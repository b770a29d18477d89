#pragma once
// Reads the pages named on the make-job command line, row by row. Each
// argument is an image file (TIFF, PNG or JPEG; every page of it becomes a
// page of the job), or a list of separations "NAME=FILE[,NAME=FILE...]" of
// black-and-white or greyscale images of one size, each becoming the plane
// NAME of one page, all read side by side. The planes are fitted to the job's
// colour mode on the way (renamed, 8-bit planes of 1-bit colorants halftoned).
#include "JobFileWriter.h"
#include "PageReader.h"
#include "PrinterCatalog.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

// A page argument of the command line and the number of pages PageInput::shapes found in it.
struct PageArgument {
    std::string text;
    size_t pages = 0;
};

class PageInput : public PageRows {
public:
    // (plane name, file) pairs of one argument; the name is empty for a whole image. Throws UsageError for
    // an empty name or file, or a name given twice.
    static std::vector<std::pair<std::string, std::string>> parse(const std::string& argument);
    // The pages an argument names, before reading them; throws ToolError for unreadable files or
    // separations that are in colour or do not fit together.
    static std::vector<PageShape> shapes(const std::string& argument);

    // The pages of arguments in turn, each checked by shapes() before, read for target at the job's
    // resolution and fitted to mode. The converter serves every page (the images of one separation list
    // are all greyscale or 1-bit).
    PageInput(std::vector<PageArgument> arguments, InkTarget target, const CatalogColorMode& mode,
              ColourConverter& converter, const JobGeometry& job);

    // Throws ToolError for an unreadable page or one that does not fit the colour mode (PlaneMapper::fit).
    bool nextPage() override;
    const RasterPage& page() const override { return page_; }
    void readRow(uint8_t* const* rows) override;

private:
    bool openArgument();

    std::vector<PageArgument> arguments_;
    size_t nextArgument_ = 0;
    InkTarget target_;
    const CatalogColorMode& mode_;
    ColourConverter& converter_;
    JobGeometry job_;
    std::vector<std::pair<std::string, std::string>> parts_;   // the argument being read
    std::vector<std::unique_ptr<PageReader>> readers_;   // one for an image, one per separation
    bool separations_ = false;
    RasterPage page_;                                    // the page as fitted, no data
    std::vector<std::vector<uint8_t>> ink_;              // per plane to halftone: its 8-bit row
    std::vector<uint8_t*> readInto_;                     // per plane: where the readers put its row
    uint32_t y_ = 0;
};
