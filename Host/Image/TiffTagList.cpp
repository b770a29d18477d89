#include "TiffTagList.h"

#include "RVLog.h"

#include <charconv>
#include <string>

namespace {
const char* const kLogSource = "Host\\Image\\TiffTagList";

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Next blank-separated token from text (advanced past it); empty at the end.
std::string_view nextToken(std::string_view& text) {
    std::size_t start = 0;
    while (start < text.size() && isBlank(text[start])) ++start;
    std::size_t end = start;
    while (end < text.size() && !isBlank(text[end])) ++end;
    const std::string_view token = text.substr(start, end - start);
    text.remove_prefix(end);
    return token;
}

// Whole-token unsigned decimal no greater than max.
bool parseNumber(std::string_view token, std::uint32_t max, std::uint32_t& value) {
    const char* end = token.data() + token.size();
    const auto result = std::from_chars(token.data(), end, value);
    return result.ec == std::errc() && result.ptr == end && value <= max;
}

std::string quoted(std::string_view a, std::string_view b, std::string_view c) {
    return std::string(a) + " " + std::string(b) + " " + std::string(c);
}
}  // namespace

TiffTagList::TiffTagList(std::string_view text) {
    for (;;) {
        const std::string_view type = nextToken(text);
        if (type.empty()) return;
        const std::string_view tag = nextToken(text);
        const std::string_view value = nextToken(text);
        if (value.empty()) {
            RV_LOG(kLogSource)("Incomplete TIFF tag triple \"%s\" ignored", quoted(type, tag, value).c_str());
            return;
        }
        add(type, tag, value);
    }
}

void TiffTagList::add(std::string_view type, std::string_view tag, std::string_view value) {
    Entry entry{Kind::Text, 0, 0, {}};
    std::uint32_t tagNumber = 0;
    bool ok = parseNumber(tag, 0xFFFF, tagNumber) && tagNumber != 0;
    if (ok && type == "int16") {
        entry.kind = Kind::Int16;
        ok = parseNumber(value, 0xFFFF, entry.number);
    } else if (ok && type == "int32") {
        entry.kind = Kind::Int32;
        ok = parseNumber(value, 0xFFFFFFFFu, entry.number);
    } else if (ok && type == "str") {
        entry.text = std::string(value);
    } else {
        ok = false;
    }
    if (!ok) {
        RV_LOG(kLogSource)("Malformed TIFF tag triple \"%s\" ignored", quoted(type, tag, value).c_str());
        return;
    }
    entry.tag = static_cast<std::uint16_t>(tagNumber);
    entries_.push_back(std::move(entry));
}
