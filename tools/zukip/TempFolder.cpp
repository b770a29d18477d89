// Temporary working folders of print.
#include "TempFolder.h"

#include "ToolError.h"

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

TempFolder::TempFolder(const std::string& prefix) {
    std::error_code ec;
    const fs::path parent = fs::temp_directory_path(ec);
    std::string pattern = ((ec ? fs::path("/tmp") : parent) / (prefix + "XXXXXX")).string();
    if (!mkdtemp(pattern.data())) throw ToolError("cannot make a temporary folder in " + parent.string());
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}
