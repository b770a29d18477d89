#include "DriverOptions.h"

#include <cstdlib>
#include <cstring>

namespace {
constexpr const char kOptionsKey[] = "DriverOptionBinary";

// Stores a 32-bit value little-endian whatever the host's byte order.
void storeLittleEndian32(uint8_t* bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

// Parses up to two characters as one hexadecimal number, the way the C
// library reads a two-character field: leading non-digits give 0, a trailing
// non-digit ends the number.
uint8_t parsePair(const char* pair, size_t count) {
    char field[3] = {};
    std::memcpy(field, pair, count);
    return static_cast<uint8_t>(std::strtol(field, nullptr, 16));
}
}  // namespace

void setDefaultOptions(DriverOptions* block) {
    if (!block) return;
    auto* bytes = reinterpret_cast<uint8_t*>(block);
    storeLittleEndian32(bytes, kOptionsVersion);
    storeLittleEndian32(bytes + 4, 1);
    bytes[8] = 0;
}

bool IsValidOptions(const DriverOptions* block) { return block && block->optionsVersion == kOptionsVersion; }

void ValidateOptionsBlock(DriverOptions* block) {
    if (block && !IsValidOptions(block)) setDefaultOptions(block);
}

bool ReadDriverOptionText(const char* text, DriverOptions* block) {
    if (!text || !block) return false;
    const char* key = std::strstr(text, kOptionsKey);
    if (!key) return false;
    const char* equals = std::strchr(key + sizeof kOptionsKey - 1, '=');
    if (!equals) return false;
    const char* value = equals + 1;
    auto* bytes = reinterpret_cast<uint8_t*>(block);
    // Stops at the text's terminator: a short value fills only the leading
    // bytes it reaches, and a lone final digit is read on its own.
    for (int i = 0; i < kOptionsTextBytes && *value; ++i) {
        const size_t count = value[1] ? 2 : 1;
        bytes[i] = parsePair(value, count);
        value += count;
    }
    return true;
}
