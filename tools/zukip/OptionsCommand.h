#pragma once
// zukip options: opens the driver's "Driver Options" dialog and prints the
// options block the user confirmed.
#include <string>
#include <vector>

class OptionsCommand {
public:
    static int run(const std::vector<std::string>& args);
    static const char* summary() { return "edit driver options in the driver's dialog, print them as text"; }
};
