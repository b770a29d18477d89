#pragma once
// Writes a host job: the job file (the 3940-byte header the driver reads),
// the raster file the driver's job library reads next to it, and a thumbnail.
#include "DriverOptions.h"
#include "RasterPage.h"
#include "TileGrid.h"

#include <string>
#include <vector>

struct JobSettings {
    std::string model;          // printer model name
    std::string documentName;   // path of the source document
    std::string sender;         // user name for the job ticket
    double xResolution = 0;     // dpi
    double yResolution = 0;
    int colorMode = 0;          // colour mode id of the model
    DriverOptions options{};
    TileGrid tiles;             // with columns: every page is written as a tiled page of these panels
};

// The pages of a job, handed out one at a time and row by row.
class PageRows {
public:
    virtual ~PageRows() = default;
    // Moves to the next page (the first on the first call); false after the last. Throws ToolError.
    virtual bool nextPage() = 0;
    // The current page: size, planes (names as the colour mode's internal names, depths 1 or 8), source name
    // for messages; its planes hold no data.
    virtual const RasterPage& page() const = 0;
    // The next row of every plane of the current page, top row first, into rows[p] (planes[p].rowBytes
    // each). Throws ToolError.
    virtual void readRow(uint8_t* const* rows) = 0;
};

// What was written: the page count and the first page's size.
struct WrittenJob {
    size_t pages = 0;
    uint32_t width = 0;
    uint32_t height = 0;
};

// One plane as the raster file names it.
struct PlaneNames {
    std::string displayName;
    std::string internalName;
};

class JobFileWriter {
public:
    // The raster file that belongs to a job file (where the driver looks for it).
    static std::string rasterPath(const std::string& jobPath);
    // The thumbnail written next to a job file.
    static std::string thumbnailPath(const std::string& jobPath);

    // Writes all three files from the pages as they are read, or none (with tiles, the job file also carries
    // the request's tile fields for the first page's panels, TileRequest): on any failure, its own or the pages'
    // (ToolError, or UsageError for a page smaller than the tile grid), throws and removes what this call had
    // written. displayNames gives each plane name (the internal name) its display name. Holds one row of
    // every plane, or with tiles one row of panels.
    static WrittenJob write(const std::string& jobPath, const JobSettings& settings, PageRows& pages,
                            const std::vector<PlaneNames>& displayNames);
};
