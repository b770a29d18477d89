#pragma once
// The pages of a job's raster file, read back with the host job library as
// the driver reads them.
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
