#pragma once
// The driver options a user sets on the command line ("--option KEY=VALUE"),
// stored into the 256-byte options block that travels in the job header.
#include "DriverOptions.h"

#include <string>

class DriverOptionArgs {
public:
    // The block with the driver's defaults: version 20, one copy, everything else 0.
    static DriverOptions defaults();
    // Applies one "KEY=VALUE"; throws UsageError for an unknown key or a bad value.
    static void apply(const std::string& keyValue, DriverOptions& block);
    // The accepted keys and values, one per line, for --help.
    static std::string help();
    // "file-type=TIFF copies=1 ..." for the fields a user can set.
    static std::string describe(const DriverOptions& block);
};
