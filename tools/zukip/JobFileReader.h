#pragma once
// Reads back what a host needs of a job file before printing it: its header
// and the raster file the driver will look for.
#include "JobHeader.h"

#include <string>

class JobFileReader {
public:
    // The job's header; throws ToolError when the file is missing, unreadable or shorter than a header.
    static JobHeaderLayout readHeader(const std::string& jobPath);
    // The raster file the driver will open (it tries two names); throws ToolError naming both when neither exists.
    static std::string findRaster(const std::string& jobPath);
    // A zero-terminated header text field as a string.
    template <size_t N>
    static std::string text(const char (&field)[N]) {
        size_t n = 0;
        while (n < N && field[n] != 0) ++n;
        return std::string(field, n);
    }
};
