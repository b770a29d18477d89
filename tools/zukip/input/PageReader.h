#pragma once
// Reads an image file page by page and row by row as the rows of a job page:
// converted to the job's inks, turned upright by the image's orientation and
// brought to the job's resolution, holding no more of the page than it must.
// Rows of orientations 1 and 2 (upright, or mirrored left to right) stream:
// one stored row at a time. The other orientations flip the page upside down
// or turn it, so their whole converted page is read and held first.
#include "ColourConverter.h"
#include "RasterPage.h"

#include <memory>
#include <string>
#include <vector>

// What a page of an image will need from the printer, known before it is read.
struct PageShape {
    RasterPage planes;    // plane names and depths, no data; the size as stored
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

    // Opens the image at path, before its first page; pageCount is the number of its pages (as shapes()
    // found them), which decides how its pages are named in messages. Throws ToolError.
    PageReader(const std::string& path, size_t pageCount);
    // Moves to the next page and prepares it: planes for target (greyscale pages always Black alone, 1-bit
    // pages as bits), upright, resampled to the job's resolution when the image gives its own. The converter
    // serves this page until the next call. False after the last page; throws ToolError.
    bool nextPage(InkTarget target, ColourConverter& converter, const JobGeometry& job);
    // The current page: size, plane names and depths, source name for messages; its planes hold no data.
    const RasterPage& page() const { return page_; }
    // The next row of every plane of page(), top row first, into rows[p] (planes[p].rowBytes each).
    // Throws ToolError when the file is damaged (rows past the last one needed are read too, to find that out).
    void readRow(uint8_t* const* rows);

private:
    void readStoredRow(uint8_t* const* rows);
    uint8_t* const* storedRows(uint32_t y);

    std::unique_ptr<ImageSource> source_;
    std::string path_;
    size_t pageCount_ = 0;               // pages in the file, to name them in messages
    ImageFrame frame_;
    ColourConverter* converter_ = nullptr;
    RasterPage page_;
    RasterPage stored_;                  // the converted stored rows held: one row, or the whole page
    std::vector<uint8_t*> storedPointers_;
    std::vector<uint16_t> samples_;      // one row of the image's samples
    std::vector<uint32_t> uprightX_;     // per output column, the column of the upright picture it shows
    uint32_t uprightHeight_ = 0;
    uint32_t storedRead_ = 0;            // stored rows read from the file so far
    uint32_t y_ = 0;                     // next output row
    bool direct_ = false;                // stored rows are the output rows
    bool whole_ = false;                 // stored_ holds the whole page
    size_t pagesRead_ = 0;
};
