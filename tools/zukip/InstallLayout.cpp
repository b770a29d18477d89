// Paths of the shipped module and sample base folder, found from the running
// program's own location.
#include "InstallLayout.h"

#include <filesystem>

#if !defined(ZUKIP_MODULE_FROM_PROGRAM) || !defined(ZUKIP_BASE_FROM_PROGRAM) || !defined(ZUKIP_SIMULATOR_FROM_PROGRAM)
#error "ZUKIP_MODULE_FROM_PROGRAM and ZUKIP_BASE_FROM_PROGRAM must give the layout relative to the program"
#endif

namespace fs = std::filesystem;

namespace {

std::string besideProgram(const char* relative) {
    const std::string folder = InstallLayout::programFolder();
    if (folder.empty()) return relative;
    return (fs::path(folder) / relative).lexically_normal().string();
}

}  // namespace

std::string InstallLayout::programFolder() {
    std::error_code ec;
    const fs::path program = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : program.parent_path().string();
}

std::string InstallLayout::module() { return besideProgram(ZUKIP_MODULE_FROM_PROGRAM); }

std::string InstallLayout::sampleBase() { return besideProgram(ZUKIP_BASE_FROM_PROGRAM); }

std::string InstallLayout::printerSimulator() { return besideProgram(ZUKIP_SIMULATOR_FROM_PROGRAM); }
