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

    // Writes all three files, or none (with tiles, the job file also carries the request's tile fields
    // for the first page's panels, TileRequest): on any failure throws ToolError naming the file and removes what
    // this call had written. displayNames gives each plane name (RasterPlane::name, the internal name) its display name.
    static void write(const std::string& jobPath, const JobSettings& settings, const std::vector<RasterPage>& pages,
                      const std::vector<PlaneNames>& displayNames);
};
