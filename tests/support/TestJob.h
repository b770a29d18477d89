#pragma once
// A host job as the host leaves it for the driver: the job file with its
// 3940-byte header, the raster file next to it (written with the host's
// raster writer) and the request that names them.
#include "DriverOptions.h"
#include "HostRecords.h"
#include "JobHeader.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

struct TestPlane {
    std::string name;                 // display name, and internal name when that is not given
    int depth;                        // bits per pixel
    std::string internalName = {};
};

struct TestTile {
    int width;
    int height;
};

struct TestPage {
    int width;
    int height;
    std::vector<TestPlane> planes;
    std::vector<TestTile> tiles = {};   // not empty: a tiled page of these tiles
};

// The bytes of one line: (page, plane, line, depth, width) -> (depth * width + 7) / 8 bytes.
using LineMaker = std::function<std::vector<uint8_t>(int, int, int, int, int)>;
// The bytes of one line of a tile: (page, tile, plane, line, depth, width).
using TileLineMaker = std::function<std::vector<uint8_t>(int, int, int, int, int, int)>;

// The images of a page: its tiles, or the whole page when it has none.
std::vector<TestTile> imagesOf(const TestPage& page);
// Writes pages as the raster file at path with the host's raster writer, plane after plane (every plane
// per line when interleaved); lines gives each line, tile 0 on a plain page. Fails the test on any error.
void writeRasterFile(const std::filesystem::path& path, const std::vector<TestPage>& pages, const TileLineMaker& lines,
                     bool interleaved = false);

// An options block with every byte set to value, to show which bytes a call touches.
DriverOptions filledOptions(uint8_t value);

class TestJob {
public:
    // A job file folder/fileName for "Test Model" in colour mode 0: document "C:\Docs\plan.pdf",
    // sender "Anna", 300 dpi, 36 x 48 inches, options version 20 with 2 copies; the request
    // names the job file (no thumbnail), port code 256 and media id 1.
    explicit TestJob(const std::filesystem::path& folder, const std::string& fileName = "job.zuj");

    // Writes the job file header and the raster file of jobPages (kept in pages); fails the test on error.
    // Tiled pages take their lines from patternTileLine, the others from lines.
    void write(const std::vector<TestPage>& jobPages);
    // Writes the job file header alone; fails the test on error.
    void writeHeader() const;

    // A pattern that differs per page, plane, line and byte; padding bits are 0.
    static std::vector<uint8_t> patternLine(int page, int plane, int line, int depth, int width);
    // patternLine, different for each tile.
    static std::vector<uint8_t> patternTileLine(int page, int tile, int plane, int line, int depth, int width);
    // The bytes written for a line of image `tile` (0 on a plain page) of plane `plane` of page `page`.
    std::vector<uint8_t> writtenLine(int page, int tile, int plane, int line) const;

    DriverOptions& options() { return *reinterpret_cast<DriverOptions*>(header.options); }
    const std::filesystem::path& jobFile() const { return jobFile_; }

    JobHeaderLayout header{};
    JobRequest request{};
    LineMaker lines = patternLine;
    std::vector<TestPage> pages;   // as written

private:
    std::filesystem::path jobFile_;
};
