#pragma once
// The module object: built when the module is loaded, destroyed when it is
// unloaded. It gives access to the module-wide colour-name table that the
// KIP engine uses for colour suffixes in output names (KIPColorSuffixes).
#include "AString.h"
#include "KIPColorSuffixes.h"

class CDriverDLL {
public:
    static constexpr int kColorNameCount = KIPColorSuffixes::kCount;

    CDriverDLL();
    CDriverDLL(const CDriverDLL&) = delete;
    CDriverDLL& operator=(const CDriverDLL&) = delete;

    // Start-up and shut-down hooks of the module; both succeed.
    bool InitInstance();
    int ExitInstance();

    // Colour name `index` (0..9); empty outside the table.
    const AString& ColorName(int index) const;
    // Replaces colour name `index`; ignored outside the table.
    void SetColorName(int index, const char* name);

    // The module's single instance.
    static CDriverDLL& Instance();
};
