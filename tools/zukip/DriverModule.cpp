#include "DriverModule.h"

#include "InstallLayout.h"
#include "ToolError.h"

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {
// The path, once it names an existing file; a missing module is told apart from one that does not load.
const std::string& checkedFile(const std::string& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) throw ToolError("driver module not found: " + path);
    return path;
}
}  // namespace

std::string DriverModule::locate(const std::string& option) {
    if (!option.empty()) return option;
    if (const char* env = std::getenv("ZUKIP_MODULE"); env && *env) return env;
    return InstallLayout::module();
}

DriverModule::DriverModule(const std::string& path) : path_(path), library_(checkedFile(path)) {
    if (!library_.IsOpen()) throw ToolError("cannot load driver module " + path + ": " + library_.Error());
    create_ = library_.Function<ABasePrinterDriver* (*)()>("createNewPrinterDriver");
    if (!create_) throw ToolError("driver module " + path + " does not export createNewPrinterDriver");
}

DriverModule::Driver DriverModule::createDriver() const {
    Driver driver(create_());
    if (!driver) throw ToolError("driver module " + path_ + " gave no printer driver (createNewPrinterDriver failed)");
    return driver;
}
