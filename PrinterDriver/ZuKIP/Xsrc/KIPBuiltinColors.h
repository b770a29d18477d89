#pragma once
// The colour modes the KIP engine knows without a printer description: the
// colorants of each of the eleven modes of the built-in colour mode list
// (0 "CMYK" .. 10 "SpotColors") and how many separations a job in a mode
// writes.
#include "HostRecords.h"

class KIPBuiltinColors {
public:
    static constexpr int kModeCount = 11;
    static constexpr int kSpotCount = 20;

    // Fills list with the colorants of colorMode (up to its capacity) and sets
    // its count; 1, or 0 (list untouched) for a mode outside the table or a
    // list without entries.
    static int GetColorantList(int colorMode, ColorantList* list);

    // The number of separations a job in colorMode writes (4, 1, 5 or 6), after
    // naming the extra inks in the colour suffixes; 0 for a mode that a job
    // cannot be written in without a description (CMY modes, spot colours, unknown).
    static int ApplySeparationRule(int colorMode);
};
