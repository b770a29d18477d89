#pragma once
#include <string>
#include <vector>

// "zukip make-job": builds a host job file, its raster file and thumbnail from TIFF images.
class MakeJobCommand {
public:
    // Runs the command on the words after "make-job"; returns the exit status, throws ToolError on failure.
    static int run(const std::vector<std::string>& args);
    static const char* summary() { return "make a print job from images, to print now or later"; }
};
