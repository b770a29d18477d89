// Chooses the job's medium and print mode from what the user typed.
#include "MediaChoice.h"

#include "JobFileReader.h"
#include "ToolError.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace {

// True when text names the entry: its id as a whole decimal number, or one of its names in any case.
bool names(const std::string& text, int id, const std::string& internalName, const std::string& displayName) {
    char* end = nullptr;
    const long number = std::strtol(text.c_str(), &end, 10);
    if (!text.empty() && *end == '\0') return number == id;
    return strcasecmp(text.c_str(), internalName.c_str()) == 0 || strcasecmp(text.c_str(), displayName.c_str()) == 0;
}

std::string choiceText(int id, const std::string& name) { return std::to_string(id) + " \"" + name + "\""; }

const CatalogEntry* findEntry(const std::vector<CatalogEntry>& entries, int id) {
    for (const CatalogEntry& e : entries)
        if (e.id == id) return &e;
    return nullptr;
}

// The print modes allowed on a medium: its control entry's, or every listed one when it has none.
std::vector<const CatalogEntry*> allowedModes(const PrinterCatalog& catalog, int mediaId) {
    std::vector<const CatalogEntry*> modes;
    const CatalogMediumControl* control = catalog.controlOf(mediaId);
    if (!control) {
        for (const CatalogEntry& e : catalog.printModes()) modes.push_back(&e);
        return modes;
    }
    for (int id : control->printModeIds)
        if (const CatalogEntry* e = findEntry(catalog.printModes(), id)) modes.push_back(e);
    return modes;
}

void chooseMedium(const MediaList& rolls, const PrinterCatalog& catalog, const std::string& text, MediaSelection& s) {
    if (text.empty()) {
        if (!rolls.empty()) {
            s.mediaId = rolls.front().id;
            s.mediaName = JobFileReader::text(rolls.front().displayName);
            return;
        }
        s.mediaId = catalog.defaultMediaId();
        const CatalogEntry* e = findEntry(catalog.media(), s.mediaId);
        s.mediaName = e ? e->displayName : "";
        return;
    }
    for (const MediaEntry& roll : rolls)
        if (names(text, roll.id, JobFileReader::text(roll.internalName), JobFileReader::text(roll.displayName))) {
            s.mediaId = roll.id;
            s.mediaName = JobFileReader::text(roll.displayName);
            return;
        }
    for (const CatalogEntry& e : catalog.media())
        if (names(text, e.id, e.internalName, e.displayName)) {
            s.mediaId = e.id;
            s.mediaName = e.displayName;
            return;
        }
    std::string known;
    for (const MediaEntry& roll : rolls) known += (known.empty() ? "" : ", ") + choiceText(roll.id, JobFileReader::text(roll.displayName));
    for (const CatalogEntry& e : catalog.media()) known += (known.empty() ? "" : ", ") + choiceText(e.id, e.displayName);
    throw UsageError("printer \"" + catalog.model() + "\" has no medium \"" + text + "\" (it has " +
                     (known.empty() ? "none" : known) + "; see zukip query media)");
}

void choosePrintMode(const PrinterCatalog& catalog, const std::string& text, MediaSelection& s) {
    const std::vector<const CatalogEntry*> modes = allowedModes(catalog, s.mediaId);
    if (text.empty()) {
        const CatalogMediumControl* control = catalog.controlOf(s.mediaId);
        const int wanted = control ? control->defaultPrintModeId : catalog.defaultPrintModeId();
        const CatalogEntry* chosen = nullptr;
        for (const CatalogEntry* e : modes)
            if (e->id == wanted) chosen = e;
        if (!chosen && !modes.empty()) chosen = modes.front();
        s.printModeId = chosen ? chosen->id : std::max(wanted, 0);
        s.printModeName = chosen ? chosen->displayName : "";
        return;
    }
    for (const CatalogEntry* e : modes)
        if (names(text, e->id, e->internalName, e->displayName)) {
            s.printModeId = e->id;
            s.printModeName = e->displayName;
            return;
        }
    std::string known;
    for (const CatalogEntry* e : modes) known += (known.empty() ? "" : ", ") + choiceText(e->id, e->displayName);
    throw UsageError("print mode \"" + text + "\" is not offered on medium " + choiceText(s.mediaId, s.mediaName) +
                     " (it offers " + (known.empty() ? "none" : known) + "; see zukip query print-modes)");
}

}  // namespace

MediaSelection MediaChoice::choose(const MediaList& rolls, const PrinterCatalog& catalog, const std::string& media,
                                   const std::string& printMode) {
    MediaSelection selection;
    chooseMedium(rolls, catalog, media, selection);
    choosePrintMode(catalog, printMode, selection);
    return selection;
}

TextTable MediaChoice::mediaTable(const PrinterCatalog& catalog) {
    TextTable table("Media of \"" + catalog.model() + "\"", {"ID", "Name", "Internal name", "Print modes"});
    for (const CatalogEntry& e : catalog.media()) {
        std::string modes;
        for (const CatalogEntry* m : allowedModes(catalog, e.id)) modes += (modes.empty() ? "" : ", ") + m->displayName;
        table.addRow({std::to_string(e.id), e.displayName, e.internalName, modes});
    }
    const CatalogEntry* fallback = findEntry(catalog.media(), catalog.defaultMediaId());
    table.setNote(catalog.media().empty() ? "The printer description lists no media."
                                          : "Default medium: " + choiceText(catalog.defaultMediaId(),
                                                                            fallback ? fallback->displayName : ""));
    return table;
}

TextTable MediaChoice::printModesTable(const PrinterCatalog& catalog, int mediaId) {
    const CatalogEntry* medium = findEntry(catalog.media(), mediaId);
    TextTable table("Print modes on medium " + choiceText(mediaId, medium ? medium->displayName : ""),
                    {"ID", "Name", "Internal name", "Default"});
    MediaSelection fallback;
    fallback.mediaId = mediaId;
    choosePrintMode(catalog, "", fallback);
    for (const CatalogEntry* e : allowedModes(catalog, mediaId))
        table.addRow({std::to_string(e->id), e->displayName, e->internalName, e->id == fallback.printModeId ? "yes" : ""});
    if (table.rowCount() == 0) table.setNote("The printer description offers no print modes on this medium.");
    return table;
}
