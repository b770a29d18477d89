#pragma once
// The roll media of a KIP printer, read from the printer information text
// ("OutputDrivers/KIP/KipUnattend.dat") that the printer utilities fetch.
#include "AString.h"
#include "HostRecords.h"

class KIPMediaList {
public:
    // Sets *selected (when given) to 0, appends one entry per loaded roll of
    // the printer information file to media and returns the number of entries.
    static int GetMediaList(MediaList& media, int* selected);

    // Appends the rolls of text: each line "Roll<r>Media={<m>}" with m > 0
    // gives medium m named CustomMediaName(text, m). Rolls are looked for
    // from 1 on while found, and up to roll 20 past gaps.
    static void ParseRolls(const AString& text, MediaList& media);
};
