#include "PrinterCommand.h"

#include "BaseFolder.h"
#include "CommandLine.h"
#include "KIPPrinterUtilities.h"
#include "ToolError.h"

#include <cctype>
#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

void printHelp() {
    std::printf(
        "Usage: zukip printer read-media [--base DIR]\n"
        "       zukip printer wake --ip A.B.C.D [--base DIR]\n"
        "       zukip printer set-tool PATH [--base DIR]\n"
        "\n"
        "The driver's printer utilities, as the \"Driver Options\" dialog offers them:\n"
        "  read-media  fetches the printer's information file (its roll media and custom media\n"
        "            names) over FTP into OutputDrivers/KIP/KipUnattend.dat of the base folder,\n"
        "            with the FTP settings saved in Temp/KIPFTPSettings.xml (active mode, then\n"
        "            passive); nothing happens without them\n"
        "  wake      asks KIP's tool kawpdft for the MAC address of the printer at A.B.C.D (into\n"
        "            Temp/MACaddress.log of the base folder), then has it send the wake-up call\n"
        "  set-tool  makes PATH the kawpdft that wake starts (kept in Temp/KIP_kawpdft.xml)\n"
        "\n"
        "Options:\n"
        "      --ip A.B.C.D  the printer's IPv4 address\n"
        "      --base DIR    host base folder (default: $ZUKIP_BASE_DIR, else\n"
        "                    %s)\n"
        "\n"
        "Example:\n"
        "  zukip printer set-tool /opt/kip/kawpdft --base ~/kip-base\n"
        "  zukip printer wake --ip 10.0.0.7 --base ~/kip-base\n",
        BaseFolder::samples().c_str());
}

// The four numbers of a dotted IPv4 address; throws UsageError for anything else.
void parseAddress(const std::string& text, uint8_t address[4]) {
    const UsageError bad("--ip must be an IPv4 address A.B.C.D, not \"" + text + "\"");
    size_t at = 0;
    for (int i = 0; i < 4; ++i) {
        const size_t end = i < 3 ? text.find('.', at) : text.size();
        if (end == std::string::npos || end == at || end - at > 3) throw bad;
        int n = 0;
        for (size_t k = at; k < end; ++k) {
            if (!std::isdigit(static_cast<unsigned char>(text[k]))) throw bad;
            n = n * 10 + (text[k] - '0');
        }
        if (n > 255) throw bad;
        address[i] = uint8_t(n);
        at = end + 1;
    }
}

void useBase(const CommandLine& cl) { BaseFolder::activate(BaseFolder::resolve(cl.value("base"))); }

int wake(const CommandLine& cl) {
    if (!cl.positionals().empty()) throw UsageError("wake takes no arguments (see --help)");
    if (!cl.has("ip")) throw UsageError("wake needs the printer's address: --ip A.B.C.D");
    uint8_t address[4];
    parseAddress(cl.value("ip"), address);
    useBase(cl);
    AString tool;
    if (!KIPPrinterUtilities::LoadToolPath(tool) || tool.IsEmpty())
        throw ToolError("no kawpdft chosen for this base folder (zukip printer set-tool PATH)");
    switch (KIPPrinterUtilities::WakeUpPrinter(tool, address)) {
    case KIPPrinterUtilities::wakeSent:
        std::printf("wake-up call sent to the printer at %s through %s\n", cl.value("ip").c_str(), tool.c_str());
        return 0;
    case KIPPrinterUtilities::wakeNoAddress:
        throw ToolError(std::string("kawpdft left no MAC address in ") + KIPPrinterUtilities::AddressFilePath().c_str());
    case KIPPrinterUtilities::wakeNoTool:
    case KIPPrinterUtilities::wakeToolNotStarted: break;
    }
    throw ToolError(std::string("cannot start ") + tool.c_str());
}

int readMedia(const CommandLine& cl) {
    if (!cl.positionals().empty()) throw UsageError("read-media takes no arguments (see --help)");
    useBase(cl);
    // The outcome is shown as the dialog shows it (headless: on stderr); the status says whether it worked.
    return KIPPrinterUtilities::ReadMediaFromPrinter() ? 0 : 1;
}

int setTool(const CommandLine& cl) {
    if (cl.positionals().size() != 1) throw UsageError("set-tool takes one PATH (see --help)");
    std::error_code ec;
    const fs::path tool = fs::absolute(cl.positionals()[0], ec);
    if (ec || !fs::is_regular_file(tool, ec)) throw ToolError("no such program: " + cl.positionals()[0]);
    useBase(cl);
    if (!KIPPrinterUtilities::SaveToolPath(AString(tool.string())))
        throw ToolError(std::string("cannot write ") + KIPPrinterUtilities::ToolPathFilePath().c_str());
    std::printf("kawpdft: %s\n", tool.c_str());
    return 0;
}

struct Subcommand {
    const char* name;
    int (*run)(const CommandLine&);
};
const Subcommand kSubcommands[] = {{"read-media", readMedia}, {"wake", wake}, {"set-tool", setTool}};

}  // namespace

int PrinterCommand::run(const std::vector<std::string>& args) {
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        printHelp();
        return 0;
    }
    if (args.empty() || args[0].starts_with("-"))
        throw UsageError("give the printer command first: read-media, wake or set-tool (see --help)");
    const CommandLine cl(std::vector<std::string>(args.begin() + 1, args.end()),
                         {{"ip", 0, true}, {"base", 0, true}});
    if (cl.wantsHelp()) {
        printHelp();
        return 0;
    }
    for (const Subcommand& s : kSubcommands)
        if (args[0] == s.name) return s.run(cl);
    throw UsageError("unknown printer command \"" + args[0] + "\" (try zukip printer --help)");
}
