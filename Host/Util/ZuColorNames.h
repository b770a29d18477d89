#pragma once
// The host's colour names: the process colours by index (0 Cyan, 1 Magenta,
// 2 Yellow, 3 Black) and a 32-bit display value (0x00BBGGRR) per name.
#include <cstdint>

const char* GetZuColorName(int index);        // "" outside 0..3
uint32_t GetZuColorValue(const char* name);   // case-insensitive; 0 (black) for unknown names
