#include "MakeJobCommand.h"

#include "BaseFolder.h"
#include "CommandLine.h"
#include "DriverOptionArgs.h"
#include "JobFileWriter.h"
#include "PageInput.h"
#include "PlaneMapper.h"
#include "PrinterCatalog.h"
#include "ToolError.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

const char* const kDefaultModel = "KIP 870 Color";

void printHelp() {
    std::printf(
        "Usage: zukip make-job [options] -o JOB PAGE...\n"
        "\n"
        "Builds a host job for the ZuKIP driver: the job file JOB (its 3940-byte header holds model,\n"
        "resolution, page size, colour mode, document name and driver options), the raster file the\n"
        "driver reads next to it, and a thumbnail JOB.thumb.bmp. Each PAGE argument is one page:\n"
        "  IMAGE.tif                  an 8-bit CMYK TIFF (planes Cyan, Magenta, Yellow, Black),\n"
        "                             an 8-bit greyscale TIFF or a 1-bit TIFF (plane Black)\n"
        "  NAME=FILE[,NAME=FILE...]   one 1-bit or 8-bit greyscale TIFF per separation NAME\n"
        "\n"
        "Options:\n"
        "  -o, --output JOB        job file to write (required)\n"
        "  -m, --model NAME        printer model (default \"%s\")\n"
        "  -c, --color-mode MODE   colour mode name or id (default: the model's mode that takes the\n"
        "                          planes, 1-bit with --halftone or 1-bit input, else 8-bit)\n"
        "  -r, --resolution DPI    DPI or XDPIxYDPI, one of the model's (default: the model's default)\n"
        "      --halftone          halftone 8-bit input to 1 bit (ordered dither)\n"
        "  -d, --document NAME     document name in the job (default: the first image's file name)\n"
        "      --sender NAME       sender name for the job ticket (default: $USER)\n"
        "  -O, --option KEY=VALUE  driver option, repeatable:\n"
        "%s"
        "      --base DIR          host base folder with OutputDrivers (default: $ZUKIP_BASE_DIR, else\n"
        "                          %s)\n"
        "\n"
        "Example:\n"
        "  zukip make-job -o poster.job --halftone poster-cmyk.tif\n"
        "  zukip make-job -o plan.job -c \"CMYK\" Cyan=c.tif,Black=k.tif page2.tif\n",
        kDefaultModel, DriverOptionArgs::help().c_str(), BaseFolder::samples().c_str());
}

void parseResolution(const std::string& text, double* x, double* y) {
    const size_t sep = text.find_first_of("xX");
    *x = double(parseNumber(text.substr(0, sep), "--resolution", 1, 10000));
    *y = sep == std::string::npos ? *x : double(parseNumber(text.substr(sep + 1), "--resolution", 1, 10000));
}

std::string resolutionText(double x, double y) {
    char text[64];
    std::snprintf(text, sizeof text, "%gx%g", x, y);
    return text;
}

const CatalogResolution& chooseResolution(const PrinterCatalog& catalog, const std::string& requested) {
    if (requested.empty()) {
        if (const CatalogResolution* r = catalog.defaultResolution()) return *r;
        throw ToolError("printer description " + catalog.descriptionPath() + " lists no resolutions");
    }
    double x = 0, y = 0;
    parseResolution(requested, &x, &y);
    if (const CatalogResolution* r = catalog.findResolution(x, y)) return *r;
    std::string known;
    for (const CatalogResolution& r : catalog.resolutions())
        known += (known.empty() ? "" : ", ") + resolutionText(r.x, r.y);
    throw UsageError("model \"" + catalog.model() + "\" has no resolution " + resolutionText(x, y) + " dpi (it has " +
                     (known.empty() ? "none" : known) + ")");
}

std::string defaultSender() {
    const char* user = std::getenv("USER");
    return user && *user ? user : "zukip";
}

}  // namespace

int MakeJobCommand::run(const std::vector<std::string>& args) {
    const CommandLine cl(args, {{"output", 'o', true},
                                {"model", 'm', true},
                                {"color-mode", 'c', true},
                                {"resolution", 'r', true},
                                {"halftone", 0, false},
                                {"document", 'd', true},
                                {"sender", 0, true},
                                {"option", 'O', true, true},
                                {"base", 0, true}});
    if (cl.wantsHelp()) {
        printHelp();
        return 0;
    }
    const std::string jobPath = cl.value("output");
    if (jobPath.empty()) throw UsageError("make-job needs the job file to write: -o JOB (see --help)");
    if (cl.positionals().empty()) throw UsageError("make-job needs at least one image (see --help)");

    DriverOptions options = DriverOptionArgs::defaults();
    for (const std::string& kv : cl.values("option")) DriverOptionArgs::apply(kv, options);
    const PrinterCatalog catalog = PrinterCatalog::load(BaseFolder::resolve(cl.value("base")), cl.value("model", kDefaultModel));
    const CatalogResolution& resolution = chooseResolution(catalog, cl.value("resolution"));

    std::vector<RasterPage> pages;
    for (const std::string& argument : cl.positionals()) pages.push_back(PageInput::read(argument));
    const CatalogColorMode& mode = PlaneMapper::choose(catalog, cl.value("color-mode"), pages, cl.has("halftone"));
    PlaneMapper::fit(mode, pages);

    JobSettings settings;
    settings.model = catalog.model();
    // Only the file name: the driver derives output names from the text after the last backslash, so a
    // Linux path would put its folders into those names.
    const std::string firstImage = PageInput::parse(cl.positionals().front()).front().second;
    settings.documentName = cl.value("document", std::filesystem::path(firstImage).filename().string());
    settings.sender = cl.value("sender", defaultSender());
    settings.xResolution = resolution.x;
    settings.yResolution = resolution.y;
    settings.colorMode = mode.id;
    settings.options = options;
    std::vector<PlaneNames> names;
    for (const CatalogColorant& c : mode.colorants) names.push_back({c.displayName, c.internalName});
    JobFileWriter::write(jobPath, settings, pages, names);

    std::printf("wrote %s: %zu page(s), %u x %u pixels, colour mode \"%s\" (id %d), %s dpi\n", jobPath.c_str(),
                pages.size(), pages.front().width, pages.front().height, mode.displayName.c_str(), mode.id,
                resolutionText(resolution.x, resolution.y).c_str());
    std::printf("  raster file %s\n  thumbnail   %s\n", JobFileWriter::rasterPath(jobPath).c_str(),
                JobFileWriter::thumbnailPath(jobPath).c_str());
    return 0;
}
