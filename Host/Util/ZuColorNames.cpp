#include "ZuColorNames.h"

#include <strings.h>

namespace {
struct NamedColor {
    const char* name;
    uint32_t value;  // 0x00BBGGRR
};
constexpr NamedColor kColors[] = {
    {"Cyan", 0xFFFF00},   {"Magenta", 0xFF00FF}, {"Yellow", 0x00FFFF}, {"Black", 0x000000},
    {"LCyan", 0xFFFF80},  {"LMagenta", 0xFF80FF}, {"Orange", 0x0080FF}, {"Green", 0x00FF00},
    {"Red", 0x0000FF},    {"Blue", 0xFF0000},     {"White", 0xFFFFFF}, {"Gray", 0x808080},
};
}  // namespace

const char* GetZuColorName(int index) { return index >= 0 && index < 4 ? kColors[index].name : ""; }

uint32_t GetZuColorValue(const char* name) {
    if (!name) return 0;
    for (const auto& c : kColors)
        if (strcasecmp(c.name, name) == 0) return c.value;
    return 0;
}
