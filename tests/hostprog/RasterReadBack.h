#pragma once
// A job that make-job wrote, read back: its header with the driver's layout,
// the pages of its raster file with the host job library as the driver reads them.
#include "JobHeader.h"

#include <filesystem>
#include <string>
#include <vector>

struct PlaneData {
    std::string name, internalName;
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
