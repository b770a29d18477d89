#include "PrinterSimulator.h"

#include "TempBaseFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

PrinterSimulator::PrinterSimulator(const fs::path& root, const std::vector<std::string>& options)
    : root_(root), log_(root.string() + ".commands") {
    fs::create_directories(root_);
    try {
        process_ = std::make_unique<PrinterSimulatorProcess>(
            std::string(ZUKIP_SOURCE_DIR) + "/tools/printer-sim/printer_sim.py", root_, log_, options);
    } catch (const std::runtime_error& e) {
        ADD_FAILURE() << e.what();
    }
}

std::vector<std::string> PrinterSimulator::commands() const {
    std::vector<std::string> lines;
    std::istringstream in(readFile(log_));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

void PrinterSimulator::writeSettings(const fs::path& base, const std::string& extraAttributes) const {
    ASSERT_TRUE(process_);
    fs::create_directories(base / "Temp");
    std::ofstream(base / "Temp" / "KIPFTPSettings.xml") << process_->settingsXml(extraAttributes);
}

void installPackingTool(const fs::path& base) {
    fs::create_directories(base / "Program(x64)");
    fs::copy_file(ZUKIP_PACKING_TOOL, base / "Program(x64)" / "ZipCompress.exe", fs::copy_options::overwrite_existing);
}
