#include "DriverOptionArgs.h"

#include "CommandLine.h"
#include "ToolError.h"

#include <cstring>
#include <strings.h>

namespace {

const char* const kEnhancements[] = {"Disable", "Half tone /cluster", "Stochastic /rainbow std", "Weaker",
                                     "B&W image"};
constexpr int kEnhancementCount = 5;

uint8_t flag(const std::string& key, const std::string& value) {
    for (const char* on : {"on", "yes", "1", "true"})
        if (strcasecmp(value.c_str(), on) == 0) return 1;
    for (const char* off : {"off", "no", "0", "false"})
        if (strcasecmp(value.c_str(), off) == 0) return 0;
    throw UsageError("driver option " + key + " takes on or off, not \"" + value + "\"");
}

uint8_t enhancement(const std::string& value) {
    for (int i = 0; i < kEnhancementCount; ++i)
        if (strcasecmp(value.c_str(), kEnhancements[i]) == 0) return uint8_t(i);
    return uint8_t(parseNumber(value, "driver option image-enhancement", 0, kEnhancementCount - 1));
}

}  // namespace

DriverOptions DriverOptionArgs::defaults() {
    DriverOptions block;
    std::memset(&block, 0, sizeof block);
    block.optionsVersion = kOptionsVersion;
    block.copies = 1;
    return block;
}

void DriverOptionArgs::apply(const std::string& keyValue, DriverOptions& block) {
    const size_t eq = keyValue.find('=');
    if (eq == std::string::npos) throw UsageError("driver option \"" + keyValue + "\" is not KEY=VALUE");
    const std::string key = keyValue.substr(0, eq), value = keyValue.substr(eq + 1);
    if (key == "file-type") {
        if (strcasecmp(value.c_str(), "tiff") == 0) block.fileType = 0;
        else if (strcasecmp(value.c_str(), "bmp") == 0) block.fileType = 1;
        else throw UsageError("driver option file-type takes TIFF or BMP, not \"" + value + "\"");
    } else if (key == "32-bit-file") {
        block.create32BitFile = flag(key, value);
    } else if (key == "invert") {
        block.invertOutput = flag(key, value);
    } else if (key == "copies") {
        block.copies = int8_t(parseNumber(value, "driver option copies", 1, 127));
    } else if (key == "ftp") {
        block.useFtpPort = flag(key, value);
    } else if (key == "remove-after-transfer") {
        block.removeAfterTransfer = flag(key, value);
    } else if (key == "image-enhancement") {
        block.imageEnhancement = enhancement(value);
    } else if (key == "bypass-tray") {
        block.bypassTray = flag(key, value);
    } else {
        throw UsageError("unknown driver option \"" + key + "\" (see --help)");
    }
}

std::string DriverOptionArgs::help() {
    return "  file-type=TIFF|BMP            separation file type (TIFF)\n"
           "  32-bit-file=on|off            one CMYK file per page for 8-bit TIFF jobs (off)\n"
           "  invert=on|off                 invert every output byte (off)\n"
           "  copies=1..127                 copies in the job ticket (1)\n"
           "  ftp=on|off                    pack and send the job by FTP (off)\n"
           "  remove-after-transfer=on|off  delete the local output after FTP (off)\n"
           "  image-enhancement=0..4|NAME   Disable, Half tone /cluster, Stochastic /rainbow std,\n"
           "                                Weaker, B&W image (Disable)\n"
           "  bypass-tray=on|off            print from the bypass tray (off)\n";
}

std::string DriverOptionArgs::describe(const DriverOptions& block) {
    const auto onOff = [](uint8_t v) { return v ? "on" : "off"; };
    const int enh = block.imageEnhancement;
    return std::string("file-type=") + (block.fileType == 1 ? "BMP" : "TIFF") +
           " 32-bit-file=" + onOff(block.create32BitFile) + " invert=" + onOff(block.invertOutput) +
           " copies=" + std::to_string(block.copies) + " ftp=" + onOff(block.useFtpPort) +
           " remove-after-transfer=" + onOff(block.removeAfterTransfer) + " image-enhancement=" +
           (enh < kEnhancementCount ? kEnhancements[enh] : std::to_string(enh)) +
           " bypass-tray=" + onOff(block.bypassTray);
}
