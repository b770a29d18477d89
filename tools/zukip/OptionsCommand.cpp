#include "OptionsCommand.h"

#include "BaseFolder.h"
#include "CommandLine.h"
#include "DisplayAccess.h"
#include "DriverModule.h"
#include "OptionsText.h"
#include "PrinterCatalog.h"
#include "ToolError.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace {

const char* const kDefaultModel = "KIP 870 Color";
// editOptions modes.
constexpr int kDefaultsOnly = 2;
constexpr int kDialogOnly = 3;
// The dialog always stores TIFF; a block handed in as BMP tells OK (TIFF) from Cancel (restored).
constexpr uint8_t kBmp = 1;

void printHelp() {
    std::printf(
        "Usage: zukip options [options]\n"
        "\n"
        "Opens the driver's \"Driver Options\" dialog (needs a display) on the driver's defaults, or on\n"
        "the block of --options-text. OK prints the block as one line \"DriverOptionBinary=\" with 400\n"
        "hex digits (the text make-job --options-text takes) and exits 0; Cancel prints nothing and\n"
        "exits 1.\n"
        "\n"
        "Options:\n"
        "  -m, --model NAME         printer model (default \"%s\")\n"
        "  -c, --color-mode MODE    colour mode name or id (default: the description's default)\n"
        "      --options-text TEXT  \"DriverOptionBinary=...\" to start from\n"
        "      --screenshot FILE    render the dialog as it opens into the PNG file FILE and exit 0\n"
        "                           without waiting for the user (no display needed)\n"
        "      --base DIR           host base folder (default: $ZUKIP_BASE_DIR, else\n"
        "                           %s)\n"
        "      --module FILE        driver module (default: $ZUKIP_MODULE, else ZuKIP.so next to\n"
        "                           zukip, else the one it was built with)\n"
        "\n"
        "Example:\n"
        "  zukip options -m \"KIP 700m\" > options.txt\n"
        "  zukip make-job -o plan.job --options-text \"$(cat options.txt)\" plan.tif\n",
        kDefaultModel, BaseFolder::samples().c_str());
}

PrinterSetup makeSetup(const PrinterCatalog& catalog, const std::string& colorMode) {
    PrinterSetup setup;
    std::strncpy(setup.modelName, catalog.model().c_str(), sizeof setup.modelName - 1);
    setup.mediaId = catalog.defaultMediaId();
    setup.printModeId = uint32_t(catalog.defaultPrintModeId());
    if (colorMode.empty()) {
        setup.colorModeId = uint32_t(std::max(catalog.defaultColorModeId(), 0));
    } else if (const CatalogColorMode* mode = catalog.findColorMode(colorMode)) {
        setup.colorModeId = uint32_t(mode->id);
    } else {
        throw UsageError("unknown colour mode \"" + colorMode + "\" for model \"" + catalog.model() + "\" (it has " +
                         catalog.colorModeList() + ")");
    }
    return setup;
}

// Renders the dialog into file through the driver (offscreen when there is no display).
int screenshot(ABasePrinterDriver& driver, DriverOptions& block, PrinterSetup& setup, const std::string& file) {
    std::error_code ec;
    std::filesystem::remove(file, ec);
    if (!DisplayAccess::Available()) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("ZUKIP_DIALOG_SCREENSHOT", file.c_str(), 1);
    driver.editOptions(&block, kDialogOnly, &setup, nullptr);
    unsetenv("ZUKIP_DIALOG_SCREENSHOT");
    if (!std::filesystem::is_regular_file(file, ec)) throw ToolError("the driver rendered no dialog into " + file);
    std::fprintf(stderr, "wrote %s\n", file.c_str());
    return 0;
}

}  // namespace

int OptionsCommand::run(const std::vector<std::string>& args) {
    const CommandLine cl(args, {{"model", 'm', true},
                                {"color-mode", 'c', true},
                                {"options-text", 0, true},
                                {"screenshot", 0, true},
                                {"base", 0, true},
                                {"module", 0, true}});
    if (cl.wantsHelp()) {
        printHelp();
        return 0;
    }
    if (!cl.positionals().empty()) throw UsageError("options takes no arguments (see --help)");
    const std::string base = BaseFolder::resolve(cl.value("base"));
    const PrinterCatalog catalog = PrinterCatalog::load(base, cl.value("model", kDefaultModel));
    BaseFolder::activate(base);
    PrinterSetup setup = makeSetup(catalog, cl.value("color-mode"));

    DriverOptions block{};
    const DriverModule module(DriverModule::locate(cl.value("module")));
    const DriverModule::Driver driver = module.createDriver();
    // Without a text the dialog opens on the defaults, which is what mode 1 does; it is run as
    // mode 2 then mode 3 so that the block can be marked between the two.
    if (cl.has("options-text")) OptionsText::parse(cl.value("options-text"), block);
    else driver->editOptions(&block, kDefaultsOnly, &setup, nullptr);

    if (cl.has("screenshot")) return screenshot(*driver, block, setup, cl.value("screenshot"));
    if (!DisplayAccess::Available())
        throw ToolError("no display to show the dialog on (set DISPLAY, or QT_QPA_PLATFORM for Qt's platforms)");
    // editOptions answers 1 for OK and Cancel alike. The dialog always stores TIFF, Cancel restores
    // the block: marked BMP, it tells them apart. The mark goes onto a valid block, since editOptions
    // would reset an invalid one before the dialog and so lose the mark.
    driver->validateOptions(&block);
    block.fileType = kBmp;
    if (!driver->editOptions(&block, kDialogOnly, &setup, nullptr)) throw ToolError("the driver's dialog failed");
    if (block.fileType == kBmp) return 1;
    std::printf("%s\n", OptionsText::format(block).c_str());
    return 0;
}
