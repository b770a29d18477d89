#pragma once
// Fits the planes of the input pages to a colour mode of the printer: picks
// the colour mode, names each plane after the mode's colorant and gives it
// the colorant's depth (the reader halftones 8-bit planes of 1-bit colorants).
#include "PrinterCatalog.h"
#include "RasterPage.h"

#include <string>
#include <vector>

class PlaneMapper {
public:
    // The requested colour mode (name or id), or when requested is empty the mode that takes every plane at
    // 1 bit when halftone is set or all planes are 1-bit, else at 8 bits: one with no colorant beyond the
    // pages' planes first, the description's default first among equals.
    // Throws UsageError for an unknown mode, ToolError when no mode fits.
    static const CatalogColorMode& choose(const PrinterCatalog& catalog, const std::string& requested,
                                          const std::vector<RasterPage>& pages, bool halftone);
    // Renames the planes of a page's shape for mode and gives them its depths (an 8-bit plane of a 1-bit
    // colorant becomes 1-bit); throws ToolError for a plane the mode lacks, a 1-bit plane of an 8-bit colorant
    // or a depth other than 1 or 8.
    static void fit(const CatalogColorMode& mode, RasterPage& page);
};
