#include "KIPMediaList.h"

#include "KIPJobTicket.h"

namespace {
// Rolls are looked for past a gap up to this number.
constexpr int kLastGapRoll = 20;
// Bounds the search in a hostile file that lists roll after roll.
constexpr int kMaxRoll = 1000;

// The decimal number at text[at] ("-" allowed), saturated to 32 bits; 0 when none.
long long decimalAt(const AString& text, int at) {
    const bool negative = text.GetAt(at) == '-';
    if (negative) ++at;
    long long value = 0;
    for (char c = text.GetAt(at); c >= '0' && c <= '9'; c = text.GetAt(++at))
        if (value < 0x7FFFFFFF) value = value * 10 + (c - '0');
    if (value > 0x7FFFFFFF) value = 0x7FFFFFFF;
    return negative ? -value : value;
}

// The media number of the roll line at `at`; 0 when the line is incomplete.
long long mediaNumberOfLine(const AString& text, int at) {
    const int lineEnd = text.Find('\n', at);
    if (lineEnd < 0) return 0;
    // Only this roll's own line counts, not a "={" further down the file.
    const AString line = text.Mid(at, lineEnd - at);
    const int brace = line.Find("={");
    return brace < 0 ? 0 : decimalAt(line, brace + 2);
}

void addMedium(MediaList& media, int number, const AString& name) {
    MediaEntry entry{};
    entry.id = number;
    ZuCopyField(entry.displayName, sizeof entry.displayName, name);
    ZuCopyField(entry.internalName, sizeof entry.internalName, name);
    media.push_back(entry);
}
}  // namespace

int KIPMediaList::GetMediaList(MediaList& media, int* selected) {
    if (selected) *selected = 0;
    ParseRolls(KIPJobTicket::ReadPrinterInfo(), media);
    return static_cast<int>(media.size());
}

void KIPMediaList::ParseRolls(const AString& text, MediaList& media) {
    for (int roll = 1; roll <= kMaxRoll; ++roll) {
        AString key;
        key.Format("Roll%dMedia=", roll);
        const int at = text.Find(key);
        if (at < 0) {
            if (roll > kLastGapRoll) return;
            continue;
        }
        const long long number = mediaNumberOfLine(text, at);
        if (number > 0) addMedium(media, static_cast<int>(number), KIPJobTicket::CustomMediaName(text, static_cast<int>(number)));
    }
}
