#pragma once
#include <string>
#include <vector>

// "zukip query": the driver's answers for a printer model as tables.
class QueryCommand {
public:
    // Runs the command on the words after "query"; returns the exit status, throws ToolError on failure.
    static int run(const std::vector<std::string>& args);
    static const char* summary() { return "show what a printer offers: colour modes, inks, media, print modes, resolutions"; }
};
