#pragma once
// The unique job number that keeps the output of one engine apart from
// earlier output. The last number drawn on this machine is kept in
// "Temp/KIPUniqIDCounter" under the host's base folder (4 bytes, least
// significant first; a missing or shorter file counts as 0; "Temp" is made
// when missing). Drawing reads the counter, claims the name and saves the
// number under an advisory lock on the counter file, so that processes
// drawing at once never get the same number. An object draws one number, the
// first time a name asks for it, and keeps it for every name it makes, unless
// a name that must be made is taken already: then it draws the next one.
#include "AFilePath.h"
#include "AString.h"
#include "KIPTemplateText.h"

#include <cstdint>
#include <functional>

class KIPUniqueId {
public:
    // What claiming a name came to: made (or free to make), taken already, or failed otherwise.
    enum class Claim { Made, Taken, Failed };
    // Claims the entry at a path (makes a folder, say).
    using Claimer = std::function<Claim(const AFilePath& path)>;

    // Returns name with the first "uniqID" of its template text replaced by
    // this object's number formatted with format ("%d" when empty;
    // FormatCounter); the rest of the name is taken literally. Without claim,
    // the first time draws numbers from the counter file until folder/name
    // does not exist yet; later names use the number unchecked. With claim,
    // folder/name is claimed by it: a name that is taken draws the next
    // number (the first time and later), a name without "uniqID" is claimed
    // once as it is. A name without "uniqID" draws nothing.
    AString SubstituteUniqueId(const AFilePath& folder, const KIPTemplateText& name, const AString& format,
                               const Claimer& claim = nullptr);

    // Formats pattern with value: every integer conversion (flags, width,
    // precision and length modifier allowed; width and precision capped at
    // 64) prints value, "%%" prints "%", anything else after a "%" is copied
    // as it stands. Never reads a missing argument.
    static AString FormatCounter(const AString& pattern, int32_t value);

    int32_t uniqueCounter = -1;   // the number drawn, -1 until then

    // Test seam: called while the counter file is locked, between reading the
    // counter and claiming the name, so that a test can widen that window.
    static void (*drawWindowHook)();

private:
    static Claim claimIfFree(const AFilePath& path);
    // Under the counter's lock: reads it, composes names with the following
    // numbers (1 to 2^31 - 1, wrapping) until one is claimed, saves that
    // number and keeps it; logs when no name is free or the number cannot be kept.
    AString drawName(const std::function<AString(int32_t)>& compose,
                     const std::function<Claim(const AString&)>& claimIn);
};
