#pragma once
// The host base folder (the one holding "OutputDrivers" and "Temp") that the
// driver reads its description files from.
#include <string>

class BaseFolder {
public:
    // The option's value when given, else env ZUKIP_BASE_DIR, else the sample base folder shipped with the program.
    static std::string resolve(const std::string& option);
    // Makes folder the driver's base folder (ZUKIP_BASE_DIR) for this process; throws ToolError when it is
    // not a folder.
    static void activate(const std::string& folder);
    // The sample base folder shipped with the program (share/zukip/base beside its bin folder).
    static std::string samples();
};
