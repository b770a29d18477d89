#pragma once
// Names of a KIP job's files and folders: expansion of the per-model name
// patterns and the base name and stem derived from the document name.
#include "AString.h"
#include "KIPTemplateText.h"

class KIPModelSettings;

class KIPNamePattern {
public:
    // Replaces the first "filename", "pageID", "tileID", "stripID" and
    // "colorID" of pattern, in that order, each looked for in the pattern's
    // own text only (never inside a value put in). Tile and strip numbers
    // become their entry in the settings' tileNames/stripNames when there is
    // one (a negative number never has one), colour names their non-empty
    // colorNames entry. "uniqID" is left for KIPUniqueId.
    static KIPTemplateText ExpandNamePattern(const KIPModelSettings& settings, const AString& pattern,
                                     const AString& fileName, const AString& colorName, int page, int tileID,
                                     int stripID);

    // The job's base name: the document name without drive or scheme (up to
    // the first ":"), bracketed parts, extension and blanks, and with each
    // ".xxx," turned into "_"; "C:(old) my plan.rev,final.pdf" gives "myplan_final".
    static AString MakeBaseName(const AString& documentName);

    // The part of path after its last "\" or "/" (the whole path when it has none).
    static AString FileNamePart(const AString& path);

    // The job-name stem: FileNamePart(jobName) without its extension (from the last ".").
    static AString JobNameStem(const AString& jobName);
};
