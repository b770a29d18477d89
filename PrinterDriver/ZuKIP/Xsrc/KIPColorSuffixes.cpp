#include "KIPColorSuffixes.h"

namespace {
AString (&table())[KIPColorSuffixes::kCount] {
    // Built on first use, so that its start-up order against the module's other statics never matters.
    static AString suffixes[KIPColorSuffixes::kCount] = {"Cyan", "Magenta", "Yellow", "Black"};
    return suffixes;
}

const AString kNoSuffix;
}  // namespace

const AString& KIPColorSuffixes::Get(int index) {
    if (index < 0 || index >= kCount) return kNoSuffix;
    return table()[index];
}

void KIPColorSuffixes::Set(int index, const char* name) {
    if (index >= 0 && index < kCount) table()[index] = name;
}
