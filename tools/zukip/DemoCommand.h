#pragma once
#include <string>
#include <vector>

// "zukip demo": makes a sample job from a generated poster and prints it, offline, in a fresh folder.
class DemoCommand {
public:
    // Runs the command on the words after "demo"; returns the print's exit status; throws ToolError.
    static int run(const std::vector<std::string>& args);
    static const char* summary() { return "make a sample poster job and print it into a fresh folder"; }
};
