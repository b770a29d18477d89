#pragma once
// A host job for engine tests: a job file with its 3940-byte header and the
// raster file the job library reads, written with the raster writer, plus
// the request that names them.
#include "HostRecords.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct TestPlane {
    std::string name;   // display and internal name
    int depth;          // bits per pixel
};

struct TestPage {
    int width;
    int height;
    std::vector<TestPlane> planes;
};

class EngineTestJob {
public:
    explicit EngineTestJob(const std::filesystem::path& folder);

    // Writes the job file header: resolutions in dpi and the colour mode index.
    void writeHeader(double xResolution, double yResolution, int colorMode);
    // Writes the raster file under the name the job library derives for prefix kind 2.
    void writeRaster(const std::vector<TestPage>& pages);

    // The bytes stored for one line: a pattern per page, plane and line, padding bits 0.
    static std::vector<uint8_t> lineBytes(int page, int plane, int line, int depth, int width);

    JobRequest request{};

private:
    std::filesystem::path jobFile_;
};
