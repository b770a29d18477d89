#pragma once
// The process-wide colour suffixes of the KIP module: ten texts that name the
// planes of a colour mode in default tile names ("Cyan", "Magenta",
// "Yellow", "Black", then six empty texts). A job in a built-in colour mode
// with extra inks sets the entries after Black; the table keeps them for
// later jobs of every engine in the process.
#include "AString.h"

class KIPColorSuffixes {
public:
    static constexpr int kCount = 10;

    // Suffix `index` (0..9); an empty text outside the table.
    static const AString& Get(int index);
    // Replaces suffix `index`; ignored outside the table.
    static void Set(int index, const char* name);
};
