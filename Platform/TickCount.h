#pragma once
// Milliseconds of a monotonic clock (wraps like the system tick count).
#include <cstdint>

uint32_t PlatformTickCount();
