#include "BaseFolder.h"

#include "ToolError.h"

#include <cstdlib>
#include <filesystem>

#ifndef ZUKIP_SAMPLE_BASE
#error "ZUKIP_SAMPLE_BASE must name the sample base folder"
#endif

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

std::string BaseFolder::samples() { return ZUKIP_SAMPLE_BASE; }
