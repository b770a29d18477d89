#pragma once
// Host-side pieces of the KIP tests: a job as the host leaves it (job file
// with its header, raster file written with the raster writer, request), a
// description with a "Model" element installed in a temporary base folder,
// and the separations read back with libtiff or as raw BMP.
#include "DriverOptions.h"
#include "HostRecords.h"
#include "JobHeader.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

struct KipPlane {
    std::string name;   // display and internal name
    int depth;          // bits per pixel
};

struct KipPage {
    int width;
    int height;
    std::vector<KipPlane> planes;
};

// The bytes of one line: (page, plane, line, depth, width) -> (depth * width + 7) / 8 bytes.
using LineMaker = std::function<std::vector<uint8_t>(int, int, int, int, int)>;

class KipTestJob {
public:
    // A job for model in colorMode whose files go into folder; the document is "C:\Docs\plan.pdf".
    KipTestJob(const fs::path& folder, const std::string& model, int colorMode);

    // Writes the job file header and the raster file of pages.
    void write(const std::vector<KipPage>& pages);

    // A pattern that differs per page, plane, line and byte; padding bits are 0.
    static std::vector<uint8_t> patternLine(int page, int plane, int line, int depth, int width);

    DriverOptions& options() { return *reinterpret_cast<DriverOptions*>(header.options); }

    JobHeaderLayout header{};
    JobRequest request{};
    LineMaker lines = patternLine;
    std::vector<KipPage> pages;   // as written

private:
    fs::path jobFile_;
};

// Installs "OutputDrivers/KIP870Color.xml" as the sample description with a
// "Model" element whose attributes are given (Name is set to the model), and
// an optional colorID list; the samples must have been copied first.
void installKipModel(const fs::path& base, const std::string& modelFile, const std::string& modelName,
                     const std::map<std::string, std::string>& attributes,
                     const std::map<std::string, std::string>& colorIds = {});

// One image read back.
struct ReadImage {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bitsPerSample = 0;
    uint32_t samplesPerPixel = 0;
    std::vector<std::vector<uint8_t>> rows;   // as stored, top row first (BMP: file order)
};

// A TIFF read with libtiff; fails the test (ADD_FAILURE) when it cannot be read.
ReadImage readTiff(const fs::path& path);
// The numeric or text value of a tag read with libtiff ("" / 0 when absent).
uint32_t tiffNumber(const fs::path& path, uint16_t tag);
std::string tiffText(const fs::path& path, uint16_t tag);
// An uncompressed BMP read from its bytes.
ReadImage readBmp(const fs::path& path);

// The files in folder (names only), sorted.
std::vector<std::string> fileNames(const fs::path& folder);
