#include "OptionsText.h"

#include "ToolError.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>

namespace {
const std::string kKey = "DriverOptionBinary=";
constexpr size_t kDigits = 2 * kOptionsTextBytes;

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string trimmed(const std::string& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
    return text.substr(begin, end - begin);
}
}  // namespace

std::string OptionsText::format(const DriverOptions& block) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&block);
    std::string text = kKey;
    char pair[3];
    for (int i = 0; i < kOptionsTextBytes; ++i) {
        std::snprintf(pair, sizeof pair, "%02X", bytes[i]);
        text += pair;
    }
    return text;
}

void OptionsText::parse(const std::string& text, DriverOptions& block) {
    const std::string line = trimmed(text);
    if (line.compare(0, kKey.size(), kKey) != 0)
        throw UsageError("options text must begin with \"" + kKey + "\"");
    const std::string digits = line.substr(kKey.size());
    if (digits.size() != kDigits)
        throw UsageError("options text must carry " + std::to_string(kDigits) + " hex digits after \"" + kKey +
                         "\", not " + std::to_string(digits.size()));
    uint8_t bytes[kOptionsTextBytes];
    for (size_t i = 0; i < kDigits; i += 2) {
        const int high = hexValue(digits[i]), low = hexValue(digits[i + 1]);
        if (high < 0 || low < 0)
            throw UsageError("options text has a character that is not a hex digit at position " +
                             std::to_string(kKey.size() + i + (high < 0 ? 1 : 2)));
        bytes[i / 2] = static_cast<uint8_t>(high * 16 + low);
    }
    std::copy(bytes, bytes + kOptionsTextBytes, reinterpret_cast<uint8_t*>(&block));
}
