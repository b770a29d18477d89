#include "QueryTables.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// Text of a fixed-size field that may lack its terminator.
template <size_t N>
std::string fieldText(const char (&field)[N]) {
    return std::string(field, strnlen(field, N));
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string rgbText(uint32_t bgr) {
    char text[16];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
    return text;
}

}  // namespace

QueryTables::QueryTables(ABasePrinterDriver& driver, const PrinterSetup& setup, std::string manufacturer,
                         int maxColorModeId)
    : driver_(driver), setup_(setup), manufacturer_(std::move(manufacturer)), maxColorModeId_(maxColorModeId) {}

std::vector<ColorModeInfo> QueryTables::colorModes() const {
    std::vector<ColorModeInfo> modes;
    for (int id = 0; id <= maxColorModeId_; ++id) {
        char name[1024] = {};
        int flag = 0;
        if (driver_.getColorModeName(id, &flag, name, &setup_) == 0) continue;
        name[sizeof name - 1] = 0;
        if (name[0] != 0) modes.push_back({id, name, flag != 0});
    }
    return modes;
}

int QueryTables::defaultColorMode(std::string* name) const {
    char text[1024] = {};
    const int id = driver_.getDefaultColorMode(text, &setup_);
    text[sizeof text - 1] = 0;
    *name = text;
    return id;
}

std::vector<ColorantEntry> QueryTables::colorants(int colorMode) const {
    std::vector<ColorantEntry> entries(kColorantCapacity);
    std::memset(static_cast<void*>(entries.data()), 0, entries.size() * sizeof(ColorantEntry));
    ColorantList list{0, entries.data(), kColorantCapacity};
    if (driver_.getColorantList(colorMode, &list) == 0) return {};
    entries.resize(size_t(std::clamp(list.count, 0, kColorantCapacity)));
    return entries;
}

TextTable QueryTables::colorModesTable() const {
    TextTable table("Colour modes of \"" + fieldText(setup_.modelName) + "\"",
                    {"ID", "Name", "At this resolution", "Colorants", "Bits"});
    for (const ColorModeInfo& mode : colorModes()) {
        const std::vector<ColorantEntry> list = colorants(mode.id);
        table.addRow({std::to_string(mode.id), mode.name, mode.listed ? "yes" : "no", std::to_string(list.size()),
                      list.empty() ? "" : std::to_string(list.front().bitsPerPixel)});
    }
    std::string defaultName;
    const int id = defaultColorMode(&defaultName);
    table.setNote(table.rowCount() == 0 ? "The driver names no colour modes."
                                        : "Default colour mode: " + std::to_string(id) +
                                              (defaultName.empty() ? "" : " \"" + defaultName + "\""));
    return table;
}

TextTable QueryTables::colorantsTable(int colorMode, const std::string& modeName) const {
    TextTable table("Colorants of colour mode " + std::to_string(colorMode) + " \"" + modeName + "\"",
                    {"#", "Name", "Display name", "Bits", "Spot", "Colour"});
    const std::vector<ColorantEntry> list = colorants(colorMode);
    for (size_t i = 0; i < list.size(); ++i)
        table.addRow({std::to_string(i), fieldText(list[i].name), fieldText(list[i].displayName),
                      std::to_string(list[i].bitsPerPixel), list[i].spot ? "yes" : "no", rgbText(list[i].color)});
    if (list.empty()) table.setNote("The driver gives no colorants for this colour mode.");
    return table;
}

TextTable QueryTables::mediaTable() const {
    TextTable table("Media rolls", {"ID", "Name", "Internal name"});
    MediaList media;
    int selected = 0;
    driver_.getMediaList(&setup_, &media, &selected);
    for (const MediaEntry& m : media)
        table.addRow({std::to_string(m.id), fieldText(m.displayName), fieldText(m.internalName)});
    if (media.empty()) table.setNote("The driver lists no media rolls (none are known from the printer).");
    return table;
}

TextTable QueryTables::resolutionsTable() const {
    TextTable table("Resolutions for medium " + std::to_string(setup_.mediaId) + ", print mode " +
                        std::to_string(setup_.printModeId),
                    {"ID", "X dpi", "Y dpi", "Name", "Default"});
    MediaEntry media{}, printMode{};
    media.id = setup_.mediaId;
    printMode.id = int32_t(setup_.printModeId);
    ResolutionList list;
    int defaultPosition = -1;
    const int ok = driver_.getMediaControl(&setup_, &media, &printMode, &list, &defaultPosition);
    for (size_t i = 0; i < list.size(); ++i)
        table.addRow({std::to_string(list[i].id), number(list[i].xResolution), number(list[i].yResolution),
                      fieldText(list[i].displayName), int(i) == defaultPosition ? "yes" : ""});
    if (!ok || list.empty()) table.setNote("The driver gives no resolutions for this setup.");
    return table;
}

TextTable QueryTables::screeningTable() const {
    TextTable table("Screening for colour mode " + std::to_string(setup_.colorModeId),
                    {"Colour", "Shape", "Frequency", "Angle"});
    auto screens = std::make_unique<ScreenTable>();
    std::memset(static_cast<void*>(screens.get()), 0, sizeof *screens);
    const int ok = driver_.getScreeningTable(screens.get(), &setup_);
    const int count = ok ? std::clamp(screens->count, 0, 256) : 0;
    for (int i = 0; i < count; ++i) {
        const ScreenEntry& e = screens->entries[i];
        table.addRow({fieldText(e.colorName), fieldText(e.shape), number(e.frequency), number(e.angle)});
    }
    if (count == 0) table.setNote("The driver gives no screening table for this setup.");
    return table;
}

TextTable QueryTables::ditherTable() const {
    const std::vector<ColorantEntry> inks = colorants(int(setup_.colorModeId));
    auto dither = std::make_unique<DitherTable>();
    std::memset(static_cast<void*>(dither.get()), 0, sizeof *dither);
    dither->levels = inks.empty() ? 2 : 1 << std::min<uint32_t>(inks.front().bitsPerPixel, 6);
    dither->inkCount = std::min<int>(int(inks.size()), 16);
    const int fromFile = driver_.getDitherTable(&setup_, manufacturer_.c_str(), &setup_, dither.get());
    const int levels = std::clamp(dither->levels, 0, 64), inkCount = std::clamp(dither->inkCount, 0, 16);
    std::string title = "Dither table for colour mode " + std::to_string(setup_.colorModeId);
    if (inkCount > 0)
        title += ": " + std::to_string(levels) + " levels, anti-clog " + std::to_string(dither->antiClog) +
                 ", noise " + number(dither->noise);
    TextTable table(title, {"Ink", "Weights per step"});
    for (int ink = 0; ink < inkCount; ++ink) {
        std::string weights;
        for (int step = 0; step + 1 < levels; ++step)
            weights += (step ? " " : "") + number(dither->weights[64 * ink + step]);
        table.addRow({ink < int(inks.size()) ? fieldText(inks[ink].name) : std::to_string(ink), weights});
    }
    if (!fromFile)
        table.setNote(inkCount == 0 ? "The driver gives no dither table for this setup."
                                    : "No dither parameter file applies (continuous-tone modes have none); "
                                      "these are the driver's evenly spaced defaults.");
    return table;
}
