#include "QueryCommand.h"

#include "BaseFolder.h"
#include "CommandLine.h"
#include "DriverModule.h"
#include "JsonWriter.h"
#include "MediaChoice.h"
#include "PrinterCatalog.h"
#include "QueryTables.h"
#include "ToolError.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

const char* const kDefaultModel = "KIP 870 Color";
const char* const kTopics[] = {"color-modes", "colorants", "media", "print-modes", "resolutions", "screening", "dither"};

void printHelp() {
    std::printf(
        "Usage: zukip query [options] [TOPIC...]\n"
        "\n"
        "Shows what the driver offers for a printer, as tables. TOPIC is one of:\n"
        "  color-modes   colour modes and how many inks each uses\n"
        "  colorants     the inks of each colour mode\n"
        "  media         the media rolls in the printer and the media of the printer description\n"
        "  print-modes   the print modes offered on the medium\n"
        "  resolutions   the resolutions of the medium and print mode\n"
        "  screening     halftone screens of the colour mode\n"
        "  dither        dither settings of the colour mode\n"
        "Without a topic, all of them.\n"
        "\n"
        "Options:\n"
        "  -m, --model NAME         printer model (default \"%s\")\n"
        "  -c, --color-mode MODE    colour mode name or number for colorants, screening and dither\n"
        "                           (default: colorants of every mode; the printer's default otherwise)\n"
        "      --media ID           medium number (default: the printer's default medium)\n"
        "      --print-mode ID      print mode number (default: the medium's default)\n"
        "      --resolution-id ID   resolution number (default: the print mode's first)\n"
        "      --manufacturer NAME  manufacturer for the halftone files (default \"KIP\")\n"
        "      --json               the tables as JSON\n"
        "      --base DIR           printer set-up folder (default: $ZUKIP_BASE_DIR, else\n"
        "                           %s)\n"
        "      --module FILE        driver module (default: $ZUKIP_MODULE, else the one installed\n"
        "                           with zukip)\n"
        "\n"
        "Example:\n"
        "  zukip query -m \"KIP 870 Color\" media print-modes\n",
        kDefaultModel, BaseFolder::samples().c_str());
}

std::vector<std::string> chooseTopics(const std::vector<std::string>& requested) {
    if (requested.empty() || (requested.size() == 1 && requested.front() == "all"))
        return std::vector<std::string>(std::begin(kTopics), std::end(kTopics));
    for (const std::string& topic : requested)
        if (std::find(std::begin(kTopics), std::end(kTopics), topic) == std::end(kTopics))
            throw UsageError("unknown topic \"" + topic +
                             "\" (choose from color-modes, colorants, media, print-modes, resolutions, screening, "
                             "dither)");
    return requested;
}

PrinterSetup makeSetup(const CommandLine& cl, const PrinterCatalog& catalog) {
    PrinterSetup setup;
    std::strncpy(setup.modelName, catalog.model().c_str(), sizeof setup.modelName - 1);
    std::strncpy(setup.manufacturerName, cl.value("manufacturer", "KIP").c_str(), sizeof setup.manufacturerName - 1);
    setup.mediaId = int32_t(cl.has("media") ? parseNumber(cl.value("media"), "--media", -102, 10000)
                                            : catalog.defaultMediaId());
    setup.printModeId = uint32_t(cl.has("print-mode") ? parseNumber(cl.value("print-mode"), "--print-mode", 0, 10000)
                                                      : catalog.defaultPrintModeId());
    const CatalogResolution* resolution = catalog.defaultResolution();
    setup.resolutionId = uint32_t(cl.has("resolution-id")
                                      ? parseNumber(cl.value("resolution-id"), "--resolution-id", 0, 10000)
                                      : (resolution ? resolution->id : 0));
    return setup;
}

// The colour mode id a name or id stands for, asking the driver first and the description after.
int resolveColorMode(ABasePrinterDriver& driver, const PrinterCatalog& catalog, const std::string& text) {
    const int byDriver = driver.findColorMode(text.c_str());
    if (byDriver >= 0) return byDriver;
    if (const CatalogColorMode* mode = catalog.findColorMode(text)) return mode->id;
    throw UsageError("unknown colour mode \"" + text + "\" for model \"" + catalog.model() + "\" (it has " +
                     catalog.colorModeList() + ")");
}

}  // namespace

int QueryCommand::run(const std::vector<std::string>& args) {
    const CommandLine cl(args, {{"model", 'm', true},
                                {"color-mode", 'c', true},
                                {"media", 0, true},
                                {"print-mode", 0, true},
                                {"resolution-id", 0, true},
                                {"manufacturer", 0, true},
                                {"base", 0, true},
                                {"module", 0, true},
                                {"json", 0, false}});
    if (cl.wantsHelp()) {
        printHelp();
        return 0;
    }
    const std::vector<std::string> topics = chooseTopics(cl.positionals());
    const std::string base = BaseFolder::resolve(cl.value("base"));
    const PrinterCatalog catalog = PrinterCatalog::load(base, cl.value("model", kDefaultModel));
    BaseFolder::activate(base);
    PrinterSetup setup = makeSetup(cl, catalog);

    const DriverModule module(DriverModule::locate(cl.value("module")));
    const DriverModule::Driver driver = module.createDriver();
    int maxId = 100;
    for (const CatalogColorMode& m : catalog.colorModes()) maxId = std::max(maxId, m.id);

    // The first query loads the description, so that findColorMode can answer.
    const QueryTables probe(*driver, setup, cl.value("manufacturer", "KIP"), maxId);
    std::string defaultName;
    const int defaultMode = probe.defaultColorMode(&defaultName);
    const bool modeGiven = cl.has("color-mode");
    const int mode = modeGiven ? resolveColorMode(*driver, catalog, cl.value("color-mode")) : std::max(defaultMode, 0);
    setup.colorModeId = uint32_t(mode);
    const QueryTables tables(*driver, setup, cl.value("manufacturer", "KIP"), maxId);

    std::vector<TextTable> shown;
    for (const std::string& topic : topics) {
        if (topic == "color-modes") shown.push_back(tables.colorModesTable());
        else if (topic == "media") shown.insert(shown.end(), {tables.mediaTable(), MediaChoice::mediaTable(catalog)});
        else if (topic == "print-modes") shown.push_back(MediaChoice::printModesTable(catalog, setup.mediaId));
        else if (topic == "resolutions") shown.push_back(tables.resolutionsTable());
        else if (topic == "screening") shown.push_back(tables.screeningTable());
        else if (topic == "dither") shown.push_back(tables.ditherTable());
        else if (modeGiven) shown.push_back(tables.colorantsTable(mode, cl.value("color-mode")));
        else {
            const std::vector<ColorModeInfo> modes = tables.colorModes();
            if (modes.empty()) {
                TextTable none("Colorants", {});
                none.setNote("The driver names no colour modes to list colorants of.");
                shown.push_back(none);
            }
            for (const ColorModeInfo& info : modes) shown.push_back(tables.colorantsTable(info.id, info.name));
        }
    }
    if (cl.has("json")) {
        JsonWriter json;
        json.beginObject().key("driver").value(module.path()).key("model").value(catalog.model());
        json.key("baseFolder").value(base).key("tables").beginArray();
        for (const TextTable& table : shown) table.writeJson(json);
        std::printf("%s", json.endArray().endObject().text().c_str());
        return 0;
    }
    std::printf("Driver %s, model \"%s\", base folder %s\n\n", module.path().c_str(), catalog.model().c_str(),
                base.c_str());
    for (const TextTable& table : shown) std::printf("%s\n", table.render().c_str());
    return 0;
}
