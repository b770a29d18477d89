#include "JobFileReader.h"

#include "ToolError.h"
#include "ZUJob.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

JobHeaderLayout JobFileReader::readHeader(const std::string& jobPath) {
    std::error_code ec;
    if (!fs::exists(jobPath, ec)) throw ToolError("job file not found: " + jobPath);
    if (fs::is_directory(jobPath, ec)) throw ToolError("job file is a folder: " + jobPath);
    JobHeaderLayout header;
    std::FILE* f = std::fopen(jobPath.c_str(), "rb");
    if (!f) throw ToolError("cannot read job file " + jobPath + ": " + std::strerror(errno));
    const size_t got = std::fread(&header, 1, sizeof header, f);
    std::fclose(f);
    if (got != sizeof header)
        throw ToolError("job file " + jobPath + " is too short for a job header (" + std::to_string(got) + " of " +
                        std::to_string(kJobHeaderSize) + " bytes)");
    return header;
}

std::string JobFileReader::findRaster(const std::string& jobPath) {
    std::error_code ec;
    const std::string first = ZUJob::GetFileName(2, jobPath.c_str()).c_str();
    if (fs::is_regular_file(first, ec)) return first;
    const std::string second = ZUJob::GetFileName(0, jobPath.c_str()).c_str();
    if (fs::is_regular_file(second, ec)) return second;
    throw ToolError("raster file of job " + jobPath + " not found (looked for " + first +
                    (second == first ? "" : " and " + second) + ")");
}
