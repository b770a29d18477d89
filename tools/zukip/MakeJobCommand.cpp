#include "MakeJobCommand.h"

#include "BaseFolder.h"
#include "CommandLine.h"
#include "DriverOptionArgs.h"
#include "JobFileWriter.h"
#include "OptionsText.h"
#include "OutputGuard.h"
#include "PageInput.h"
#include "PlaneMapper.h"
#include "PrinterCatalog.h"
#include "TileGrid.h"
#include "ToolError.h"

#include <cstdio>
#include <cstdlib>
#include <cmath>
#include <filesystem>
#include <iterator>

namespace {

const char* const kDefaultModel = "KIP 870 Color";

void printHelp() {
    std::printf(
        "Usage: zukip make-job [options] -o JOB PAGE...\n"
        "\n"
        "Makes a print job for a KIP printer from images, to print with zukip print JOB. It writes\n"
        "three files: JOB, the pages' raster data next to it (JOB with the extension .zrs) and a\n"
        "preview JOB.thumb.bmp. Each PAGE argument is one page:\n"
        "  IMAGE                      a TIFF, PNG or JPEG image: RGB, CMYK, Lab, palette, greyscale\n"
        "                             or black-and-white, 1 to 16 bits, transparency printed on white;\n"
        "                             every page of a multi-page TIFF becomes a page of the job\n"
        "  NAME=FILE[,NAME=FILE...]   one black-and-white or greyscale image per ink NAME (for example\n"
        "                             Cyan=c.tif,Black=k.tif)\n"
        "Images are turned upright as their orientation says, and printed at their own size: an image\n"
        "that states its resolution is scaled to the job's (and a job takes the image's resolution\n"
        "when the printer has it and -r is not given). Greyscale prints on black ink alone.\n"
        "Rows go from the images to the job one at a time, so that a page takes little memory; an image\n"
        "stored upside down or turned (orientation 3 to 8) is held whole to turn it, and --tiles holds\n"
        "one row of panels.\n"
        "make-job never writes over its images, and replaces only files it made itself.\n"
        "\n"
        "Options:\n"
        "  -o, --output JOB        job file to write (required)\n"
        "  -m, --model NAME        printer model (default \"%s\"; see zukip query)\n"
        "  -c, --color-mode MODE   colour mode name or number (default: the printer's mode for the\n"
        "                          image: black-and-white with --halftone or 1-bit images, else 8-bit)\n"
        "  -r, --resolution DPI    DPI or XDPIxYDPI, one the printer has (default: the image's when the\n"
        "                          printer has it, else the printer's)\n"
        "      --halftone          turn shades into dots for black-and-white colour modes\n"
        "      --tiles COLSxROWS   make the page a poster of COLS x ROWS panels, each printed as its own\n"
        "                          tile (numbered row by row from 1, strips by column; the last column\n"
        "                          and row take what is left); one page only\n"
        "      --cmyk-profile FILE ICC profile of the printer's CMYK, for RGB images (default: zukip's\n"
        "                          plain separation of sRGB colours, all grey on black ink; RGB images\n"
        "                          are read in their embedded profile, else as sRGB)\n"
        "  -d, --document NAME     document name on the printer (default: the first image's name)\n"
        "      --sender NAME       sender name on the job ticket (default: $USER)\n"
        "      --force             replace JOB even when it is not a job made by zukip\n"
        "  -q, --quiet             print nothing but errors\n"
        "  -O, --option KEY=VALUE  job option, repeatable:\n"
        "%s"
        "      --options-text TEXT \"DriverOptionBinary=\" and 400 hex digits (as zukip options prints):\n"
        "                          the whole options block; --option values apply on top\n"
        "      --base DIR          printer set-up folder (default: $ZUKIP_BASE_DIR, else\n"
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

// The requested resolution; else the first image's own when the printer has it; else the printer's default.
const CatalogResolution& chooseResolution(const PrinterCatalog& catalog, const std::string& requested,
                                          const PageShape& first) {
    if (requested.empty() && first.xDpi > 0) {
        if (const CatalogResolution* r = catalog.findResolution(std::round(first.xDpi), std::round(first.yDpi))) return *r;
    }
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

// PlaneMapper's choice; for colour images on a printer with no colour mode that takes them, the mode that
// takes them as greyscale (they then print in shades of black).
const CatalogColorMode& chooseMode(const PrinterCatalog& catalog, const std::string& requested,
                                   const std::vector<PageShape>& shapes, bool halftone) {
    std::vector<RasterPage> planes, asGrey;
    bool colour = false;
    for (const PageShape& shape : shapes) {
        planes.push_back(shape.planes);
        RasterPage grey = shape.planes;
        if (shape.colour) {
            colour = true;
            grey.planes.resize(1);
            grey.planes.front().name = "Black";
        }
        asGrey.push_back(std::move(grey));
    }
    try {
        return PlaneMapper::choose(catalog, requested, planes, halftone);
    } catch (const ToolError&) {
        if (!requested.empty() || !colour) throw;
        return PlaneMapper::choose(catalog, requested, asGrey, halftone);
    }
}

// Colour images become the process inks when the mode has any colour ink, else black alone.
InkTarget inkTarget(const CatalogColorMode& mode) {
    for (const char* ink : {"Cyan", "Magenta", "Yellow"})
        if (mode.findColorant(ink)) return InkTarget::Cmyk;
    return InkTarget::Black;
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
                                {"tiles", 0, true},
                                {"document", 'd', true},
                                {"sender", 0, true},
                                {"option", 'O', true, true},
                                {"options-text", 0, true},
                                {"base", 0, true},
                                {"force", 0, false},
                                {"quiet", 'q', false},
                                {"cmyk-profile", 0, true}});
    if (cl.wantsHelp()) {
        printHelp();
        return 0;
    }
    const std::string jobPath = cl.value("output");
    if (jobPath.empty()) throw UsageError("make-job needs the job file to write: -o JOB (see --help)");
    if (cl.positionals().empty()) throw UsageError("make-job needs at least one image (see --help)");
    std::vector<std::string> inputs;
    for (const std::string& argument : cl.positionals())
        for (const auto& [plane, file] : PageInput::parse(argument)) inputs.push_back(file);
    OutputGuard::check(jobPath, JobFileWriter::rasterPath(jobPath), JobFileWriter::thumbnailPath(jobPath), inputs,
                       cl.has("force"));

    DriverOptions options = DriverOptionArgs::defaults();
    if (cl.has("options-text")) OptionsText::parse(cl.value("options-text"), options);
    for (const std::string& kv : cl.values("option")) DriverOptionArgs::apply(kv, options);
    const PrinterCatalog catalog = PrinterCatalog::load(BaseFolder::resolve(cl.value("base")), cl.value("model", kDefaultModel));
    std::vector<PageShape> shapes;
    std::vector<PageArgument> arguments;
    for (const std::string& argument : cl.positionals()) {
        std::vector<PageShape> more = PageInput::shapes(argument);
        arguments.push_back({argument, more.size()});
        shapes.insert(shapes.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
    }
    const CatalogResolution& resolution = chooseResolution(catalog, cl.value("resolution"), shapes.front());
    const CatalogColorMode& mode = chooseMode(catalog, cl.value("color-mode"), shapes, cl.has("halftone"));

    const TileGrid tiles = cl.has("tiles") ? TileGrid::parse(cl.value("tiles")) : TileGrid();
    // The driver looks a tile's ids up at page index + tile position: the tiles of
    // a second page would take the ids, and so the file names, of the first's.
    if (tiles.columns > 0 && shapes.size() > 1)
        throw UsageError("--tiles takes one page (got " + std::to_string(shapes.size()) + ")");

    ColourConverter converter(cl.value("cmyk-profile"));
    PageInput pages(std::move(arguments), inkTarget(mode), mode, converter, {resolution.x, resolution.y});

    JobSettings settings;
    settings.model = catalog.model();
    // Only the file name: the driver derives output names from the text after the last backslash, so a
    // Linux path would put its folders into those names.
    settings.documentName = cl.value("document", std::filesystem::path(inputs.front()).filename().string());
    settings.sender = cl.value("sender", defaultSender());
    settings.xResolution = resolution.x;
    settings.yResolution = resolution.y;
    settings.colorMode = mode.id;
    settings.options = options;
    settings.tiles = tiles;
    std::vector<PlaneNames> names;
    for (const CatalogColorant& c : mode.colorants) names.push_back({c.displayName, c.internalName});
    const WrittenJob written = JobFileWriter::write(jobPath, settings, pages, names);
    if (cl.has("quiet")) return 0;

    std::printf("wrote %s: %zu page(s), %u x %u pixels, colour mode \"%s\" (id %d), %s dpi\n", jobPath.c_str(),
                written.pages, written.width, written.height, mode.displayName.c_str(), mode.id,
                resolutionText(resolution.x, resolution.y).c_str());
    if (tiles.columns > 0) std::printf("  tiled into %d x %d panels\n", tiles.columns, tiles.rows);
    std::printf("  raster file %s\n  thumbnail   %s\n", JobFileWriter::rasterPath(jobPath).c_str(),
                JobFileWriter::thumbnailPath(jobPath).c_str());
    return 0;
}
