#pragma once
#include <string>
#include <vector>

// "zukip print": runs a job file through the driver into an output folder.
class PrintCommand {
public:
    // Runs the command on the words after "print"; 0 only when the job ended normally; throws ToolError.
    static int run(const std::vector<std::string>& args);
    static const char* summary() { return "print an image or a job into a job folder for the printer"; }
};
