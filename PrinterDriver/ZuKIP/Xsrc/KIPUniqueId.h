#pragma once
// The unique job number that keeps the output of one engine apart from
// earlier output. The last number drawn on this machine is kept in
// "Temp/KIPUniqIDCounter" under the host's base folder (4 bytes, least
// significant first; a missing or shorter file counts as 0). An object draws
// one number, the first time a name asks for it, and keeps it for its life.
#include "AFilePath.h"
#include "AString.h"
#include "KIPTemplateText.h"

#include <cstdint>

class KIPUniqueId {
public:
    // Returns name with the first "uniqID" of its template text replaced by
    // this object's number formatted with format ("%d" when empty;
    // FormatCounter); the rest of the name is taken literally. The first
    // time, draws numbers from the counter file until folder/name does not
    // exist yet. A name without "uniqID" is returned unchanged and draws nothing.
    AString SubstituteUniqueId(const AFilePath& folder, const KIPTemplateText& name, const AString& format);

    // Formats pattern with value: every integer conversion (flags, width,
    // precision and length modifier allowed; width and precision capped at
    // 64) prints value, "%%" prints "%", anything else after a "%" is copied
    // as it stands. Never reads a missing argument.
    static AString FormatCounter(const AString& pattern, int32_t value);

    int32_t uniqueCounter = -1;   // the number drawn, -1 until then

private:
    // Reads the counter file, stores the next number and returns it (1 to 2^31 - 1, wrapping).
    static int32_t drawNumber();
};
