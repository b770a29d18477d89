#include "DriverModule.h"

#include "InstallLayout.h"
#include "ToolError.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

std::string DriverModule::locate(const std::string& option) {
    if (!option.empty()) return option;
    if (const char* env = std::getenv("ZUKIP_MODULE"); env && *env) return env;
    return InstallLayout::module();
}

DriverModule::DriverModule(const std::string& path) : path_(path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) throw ToolError("driver module not found: " + path);
    // A path without "/" would make dlopen search the library path instead of this file.
    const std::string openPath = path.find('/') == std::string::npos ? "./" + path : path;
    handle_ = dlopen(openPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) throw ToolError("cannot load driver module " + path + ": " + dlerror());
    create_ = reinterpret_cast<ABasePrinterDriver* (*)()>(dlsym(handle_, "createNewPrinterDriver"));
    if (!create_) {
        dlclose(handle_);
        throw ToolError("driver module " + path + " does not export createNewPrinterDriver");
    }
}

DriverModule::~DriverModule() { dlclose(handle_); }

DriverModule::Driver DriverModule::createDriver() const {
    Driver driver(create_());
    if (!driver) throw ToolError("driver module " + path_ + " gave no printer driver (createNewPrinterDriver failed)");
    return driver;
}
