#pragma once
// Shared parts of the host program tests: the sample base folder, TIFF files
// written with libtiff, runs of the built zukip program with its output
// captured, and the jobs that make-job wrote read back: the header with the
// driver's layout, the raster file with the host job library.
#include "JobHeader.h"
#include "TempBaseFolder.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

struct ProgramRun {
    int status = -1;        // exit status, or 128 + signal
    std::string out, err;
    // The lines of err.
    std::vector<std::string> errLines() const;
};

// Runs program with args (in the folder `cwd`), stdout and stderr captured, no standard input.
ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::filesystem::path& cwd);

// One page of a TIFF file to write: packed rows of interleaved samples, and the tags a test may vary.
struct TiffPage {
    uint32_t width = 0, height = 0;
    uint16_t samples = 1, bits = 8, photometric = PHOTOMETRIC_MINISBLACK;
    std::vector<uint8_t> data;          // height rows of (width * samples * bits + 7) / 8 bytes
    std::vector<uint16_t> extra{};      // ExtraSamples types
    std::vector<uint16_t> colormap{};   // 3 * 2^bits entries of a palette image
    uint16_t orientation = 1;
    float dpi = 0;
    uint32_t tile = 0;                  // tile size (whole-byte pixels only), 0 for strips
};

// Writes the pages as one LZW-compressed TIFF with libtiff.
void writeTiff(const std::filesystem::path& path, const std::vector<TiffPage>& pages);

// Every file and folder below root, relative, sorted.
std::vector<std::string> listTree(const std::filesystem::path& root);

// One plane of a job's page read back: its colorant's internal name, depth and packed rows.
struct PlaneData {
    std::string internalName;
    int depth = 0;
    std::vector<std::vector<uint8_t>> rows;
};

struct PageData {
    int width = 0, height = 0;
    std::vector<PlaneData> planes;
};

// Every page of the job's raster file, read with ZUJob as the driver reads it.
std::vector<PageData> readRaster(const std::filesystem::path& job);
// The job file's header; fails the test when the file is not exactly one header long.
JobHeaderLayout readHeader(const std::filesystem::path& job);

// A copy of the sample base folder (examples/base), whose default model is "KIP 870 Color". Work files go
// into work().
class HostProgramTest : public ::testing::Test {
protected:
    HostProgramTest();
    const std::filesystem::path& work() const { return work_; }
    std::string basePath() const { return base_.path().string(); }
    // The built zukip (ZUKIP_PROGRAM) in work(), with "--base <base>" appended after the command name.
    ProgramRun zukip(const std::string& command, std::vector<std::string> args) const;

    TempBaseFolder base_;
    std::filesystem::path work_;
};
