// zukip: a small host for the ZuKIP printer-driver module on Linux. It builds
// job files from images and drives the module through its public interface.
#include "DemoCommand.h"
#include "MakeJobCommand.h"
#include "OptionsCommand.h"
#include "PrintCommand.h"
#include "PrinterCommand.h"
#include "QueryCommand.h"
#include "ToolError.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#ifndef ZUKIP_VERSION
#error "ZUKIP_VERSION must give the program's version"
#endif

namespace {

struct Command {
    const char* name;
    int (*run)(const std::vector<std::string>&);
    const char* summary;
};

const Command kCommands[] = {
    {"make-job", MakeJobCommand::run, MakeJobCommand::summary()},
    {"print", PrintCommand::run, PrintCommand::summary()},
    {"query", QueryCommand::run, QueryCommand::summary()},
    {"options", OptionsCommand::run, OptionsCommand::summary()},
    {"demo", DemoCommand::run, DemoCommand::summary()},
    {"printer", PrinterCommand::run, PrinterCommand::summary()},
};

void printUsage(std::FILE* out) {
    std::fprintf(out, "Usage: zukip COMMAND [options] [arguments]\n\n"
                      "Prints images on KIP wide-format printers through the ZuKIP driver: it turns TIFF, PNG\n"
                      "and JPEG images into the job folders a KIP printer takes.\n\nCommands:\n");
    for (const Command& c : kCommands) std::fprintf(out, "  %-10s %s\n", c.name, c.summary);
    std::fprintf(out, "\n\"zukip COMMAND --help\" tells more about a command; \"zukip --version\" shows the\n"
                      "version.\n\nExamples:\n  zukip print photo.jpg\n  zukip demo\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        printUsage(stderr);
        return 2;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        printUsage(stdout);
        return 0;
    }
    if (name == "--version") {
        std::printf("zukip %s\n", ZUKIP_VERSION);
        return 0;
    }
    const std::vector<std::string> args(argv + 2, argv + argc);
    for (const Command& c : kCommands) {
        if (name != c.name) continue;
        try {
            return c.run(args);
        } catch (const UsageError& e) {
            std::fprintf(stderr, "zukip %s: %s\n", c.name, e.what());
            return 2;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "zukip %s: %s\n", c.name, e.what());
            return 1;
        }
    }
    std::fprintf(stderr, "zukip: unknown command \"%s\" (try zukip --help)\n", name.c_str());
    return 2;
}
