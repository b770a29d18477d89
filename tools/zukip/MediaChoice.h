#pragma once
// The medium and print mode a job prints with. Media are the printer's rolls
// as the driver lists them (read from the printer) and the media of the
// printer description; print modes those the description allows on the
// medium. Users name them by number or by name.
#include "HostRecords.h"
#include "PrinterCatalog.h"
#include "TextTable.h"

#include <string>

struct MediaSelection {
    int mediaId = 0;
    std::string mediaName;
    int printModeId = 0;
    std::string printModeName;
};

class MediaChoice {
public:
    // The medium named by media (a roll's number or name first, then a description medium's id or name,
    // any letter case) or, when empty, the first roll, else the description's default medium; and the print
    // mode named by printMode among those the description allows on that medium, or when empty the
    // medium's default. Throws UsageError listing the choices when a name matches nothing.
    static MediaSelection choose(const MediaList& rolls, const PrinterCatalog& catalog, const std::string& media,
                                 const std::string& printMode);
    // The description's media with the print modes each allows.
    static TextTable mediaTable(const PrinterCatalog& catalog);
    // The print modes allowed on a medium, its default marked.
    static TextTable printModesTable(const PrinterCatalog& catalog, int mediaId);
};
