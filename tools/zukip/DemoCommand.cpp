#include "DemoCommand.h"

#include "ArchiveListing.h"
#include "BaseFolder.h"
#include "InstallLayout.h"
#include "CommandLine.h"
#include "DemoPoster.h"
#include "MakeJobCommand.h"
#include "PrintCommand.h"
#include "PrinterSimulatorProcess.h"
#include "ToolError.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

void printHelp() {
    std::printf(
        "Usage: zukip demo [options]\n"
        "\n"
        "Shows the whole path without any input or network: generates a CMYK poster with gradients\n"
        "in all four inks, makes a job of it (zukip make-job), and prints it (zukip print) with a copy\n"
        "of the sample base folder %s\n"
        "into a fresh folder, ending with the summary of the output.\n"
        "\n"
        "Options:\n"
        "  -o, --output DIR   the demo folder; must be new or empty (default: a new folder in the\n"
        "                     temporary folder)\n"
        "      --ftp          deliver by FTP: start the printer simulator on 127.0.0.1, print the job\n"
        "                     with ftp=on (packed by Program(x64)/ZipCompress.exe of the base folder)\n"
        "                     and show what arrived in the printer's request folder\n"
        "      --size WxH     poster size in pixels (default 3600x2400)\n"
        "      --module FILE  driver module (default: $ZUKIP_MODULE, else the one installed with\n"
        "                     zukip)\n"
        "\n"
        "Example:\n"
        "  zukip demo -o /tmp/zukip-demo\n",
        BaseFolder::samples().c_str());
}

std::string makeDemoFolder(const std::string& requested) {
    std::error_code ec;
    if (requested.empty()) {
        std::string pattern = (fs::temp_directory_path(ec) / "zukip-demo-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw ToolError("cannot make a demo folder in " + fs::temp_directory_path(ec).string());
        return pattern;
    }
    if (fs::exists(requested, ec) && !fs::is_empty(requested, ec))
        throw ToolError("demo folder " + requested + " is not empty; give a new or empty folder");
    fs::create_directories(requested, ec);
    if (ec) throw ToolError("cannot make demo folder " + requested + ": " + ec.message());
    return fs::absolute(requested).string();
}

}  // namespace

int DemoCommand::run(const std::vector<std::string>& args) {
    const CommandLine cl(args, {{"output", 'o', true}, {"size", 0, true}, {"module", 0, true}, {"ftp", 0, false}});
    if (cl.wantsHelp()) {
        printHelp();
        return 0;
    }
    if (!cl.positionals().empty()) throw UsageError("demo takes no arguments (see --help)");
    const std::string size = cl.value("size", "3600x2400");
    const size_t x = size.find_first_of("xX");
    if (x == std::string::npos) throw UsageError("--size must be WIDTHxHEIGHT, not \"" + size + "\"");
    const auto width = uint32_t(parseNumber(size.substr(0, x), "--size width", 16, 20000));
    const auto height = uint32_t(parseNumber(size.substr(x + 1), "--size height", 16, 20000));

    const std::string samples = BaseFolder::samples();
    std::error_code ec;
    if (!fs::is_directory(fs::path(samples) / "OutputDrivers", ec))
        throw ToolError("sample base folder not found: " + samples);
    const fs::path folder = makeDemoFolder(cl.value("output"));
    const fs::path base = folder / "base";
    fs::copy(samples, base, fs::copy_options::recursive, ec);
    if (ec) throw ToolError("cannot copy the sample base folder into " + base.string() + ": " + ec.message());
    std::printf("Demo folder %s\n", folder.c_str());

    const fs::path poster = folder / "poster.tif";
    DemoPoster::writeTiff(DemoPoster::make(width, height), poster.string());
    std::printf("Made poster %s (%u x %u pixels, 8-bit CMYK)\n", poster.c_str(), width, height);
    const fs::path job = folder / "poster.job";
    std::vector<std::string> makeArgs = {"-o", job.string(), "--base", base.string(), poster.string()};
    if (cl.has("ftp")) makeArgs.insert(makeArgs.begin(), {"--option", "ftp=on"});
    const int made = MakeJobCommand::run(makeArgs);
    if (made != 0) return made;
    std::vector<std::string> printArgs = {"-o", (folder / "output").string(), "--base", base.string()};
    if (cl.has("module")) printArgs.insert(printArgs.end(), {"--module", cl.value("module")});
    printArgs.push_back(job.string());
    if (!cl.has("ftp")) return PrintCommand::run(printArgs);

    const fs::path printer = folder / "printer";
    std::unique_ptr<PrinterSimulatorProcess> simulator;
    try {
        simulator = std::make_unique<PrinterSimulatorProcess>(InstallLayout::printerSimulator(), printer,
                                                              folder / "printer-commands.log");
    } catch (const std::runtime_error& e) {
        throw ToolError(e.what());
    }
    fs::create_directories(base / "Temp", ec);
    std::ofstream(base / "Temp" / "KIPFTPSettings.xml") << simulator->settingsXml();
    std::printf("Printer simulator on 127.0.0.1:%d, serving %s\n", simulator->port(), printer.c_str());
    const int printed = PrintCommand::run(printArgs);
    simulator.reset();
    ArchiveListing::print(printer / "request");
    return printed;
}
