#include "PlaneMapper.h"

#include "ToolError.h"

namespace {

bool takesAllPlanes(const CatalogColorMode& mode, const std::vector<RasterPage>& pages, int depth) {
    if (mode.colorants.empty()) return false;
    for (const RasterPage& page : pages)
        for (const RasterPlane& plane : page.planes) {
            const CatalogColorant* c = mode.findColorant(plane.name);
            if (!c || c->depth != depth) return false;
        }
    return true;
}

// Takes every plane and has no colorant the pages leave empty.
bool matchesExactly(const CatalogColorMode& mode, const std::vector<RasterPage>& pages, int depth) {
    if (!takesAllPlanes(mode, pages, depth)) return false;
    for (const RasterPage& page : pages)
        if (page.planes.size() != mode.colorants.size()) return false;
    return true;
}

bool allBilevel(const std::vector<RasterPage>& pages) {
    for (const RasterPage& page : pages)
        if (page.maxDepth() != 1) return false;
    return true;
}

}  // namespace

const CatalogColorMode& PlaneMapper::choose(const PrinterCatalog& catalog, const std::string& requested,
                                            const std::vector<RasterPage>& pages, bool halftone) {
    if (!requested.empty()) {
        if (const CatalogColorMode* mode = catalog.findColorMode(requested)) return *mode;
        throw UsageError("unknown colour mode \"" + requested + "\" for model \"" + catalog.model() +
                         "\" (it has " + catalog.colorModeList() + ")");
    }
    const int depth = halftone || allBilevel(pages) ? 1 : 8;
    // A mode with exactly the pages' inks first, so that greyscale pages print on black without empty
    // colour separations; the description's default before the others.
    for (auto fits : {matchesExactly, takesAllPlanes}) {
        for (const CatalogColorMode& mode : catalog.colorModes())
            if (mode.id == catalog.defaultColorModeId() && fits(mode, pages, depth)) return mode;
        for (const CatalogColorMode& mode : catalog.colorModes())
            if (fits(mode, pages, depth)) return mode;
    }
    throw ToolError("no colour mode of model \"" + catalog.model() + "\" takes these planes at " +
                    std::to_string(depth) + " bit(s) per pixel; choose one with --color-mode (it has " +
                    catalog.colorModeList() + ")");
}

void PlaneMapper::fit(const CatalogColorMode& mode, RasterPage& page) {
    for (RasterPlane& plane : page.planes) {
        const CatalogColorant* colorant = mode.findColorant(plane.name);
        if (!colorant)
            throw ToolError("colour mode \"" + mode.displayName + "\" has no colorant " + plane.name + " (image " +
                            page.source + ")");
        if (colorant->depth != 1 && colorant->depth != 8)
            throw ToolError("colour mode \"" + mode.displayName + "\" uses " + std::to_string(colorant->depth) +
                            "-bit colorants; make-job writes 1-bit and 8-bit planes only");
        if (colorant->depth == 8 && plane.depth == 1)
            throw ToolError("colour mode \"" + mode.displayName + "\" takes 8-bit planes, but " + plane.name +
                            " of " + page.source + " is 1-bit; choose a 1-bit colour mode");
        plane.name = colorant->internalName;
        plane.depth = colorant->depth;
        plane.rowBytes = packedRowBytes(plane.depth, page.width);
    }
}
