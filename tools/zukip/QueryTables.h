#pragma once
// The driver's answers about one printer setup, asked through the public
// driver interface and laid out as readable tables. Every answer is checked
// before use: a driver that answers 0, or fills counts out of range, gives a
// table with a note instead of garbage.
#include "ABasePrinterDriver.h"
#include "TextTable.h"

#include <string>
#include <vector>

struct ColorModeInfo {
    int id = 0;
    std::string name;
    bool listed = false;   // the setup's resolution lists it
};

class QueryTables {
public:
    // Colour mode ids 0..maxColorModeId are asked about (the driver has no call that lists them).
    QueryTables(ABasePrinterDriver& driver, const PrinterSetup& setup, std::string manufacturer, int maxColorModeId);

    // Every colour mode id up to the limit that the driver names for the setup, in id order.
    std::vector<ColorModeInfo> colorModes() const;
    // The driver's default colour mode id (its answer, -1 when none) and name.
    int defaultColorMode(std::string* name) const;
    // The colorants of a colour mode id; empty when the driver has none.
    std::vector<ColorantEntry> colorants(int colorMode) const;

    TextTable colorModesTable() const;
    TextTable colorantsTable(int colorMode, const std::string& modeName) const;
    TextTable mediaTable() const;
    TextTable resolutionsTable() const;
    TextTable screeningTable() const;
    TextTable ditherTable() const;

private:
    ABasePrinterDriver& driver_;
    PrinterSetup setup_;
    std::string manufacturer_;
    int maxColorModeId_;
};
