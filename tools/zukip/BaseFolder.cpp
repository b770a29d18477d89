#include "BaseFolder.h"

#include "InstallLayout.h"
#include "ToolError.h"

#include <cstdlib>
#include <filesystem>

std::string BaseFolder::resolve(const std::string& option) {
    if (!option.empty()) return option;
    if (const char* env = std::getenv("ZUKIP_BASE_DIR"); env && *env) return env;
    return samples();
}

void BaseFolder::activate(const std::string& folder) {
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) throw ToolError("base folder not found: " + folder);
    setenv("ZUKIP_BASE_DIR", std::filesystem::absolute(folder, ec).c_str(), 1);
}

std::string BaseFolder::samples() { return InstallLayout::sampleBase(); }
