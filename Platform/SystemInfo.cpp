#include "SystemInfo.h"

#include <ctime>
#include <unistd.h>

namespace {
SystemTime systemClock() {
    SystemTime t;
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    if (!gmtime_r(&now, &parts)) return t;
    t.year = parts.tm_year + 1900;
    t.month = parts.tm_mon + 1;
    t.day = parts.tm_mday;
    t.hour = parts.tm_hour;
    t.minute = parts.tm_min;
    t.second = parts.tm_sec;
    return t;
}

SystemInfo::Clock installedClock = nullptr;
}  // namespace

AString SystemInfo::ComputerName() {
    // The ticket value was sized for a 300-character name buffer.
    char name[300] = {};
    if (gethostname(name, sizeof name - 1) != 0) return AString();
    return AString(name, static_cast<int>(sizeof name - 1));
}

SystemTime SystemInfo::UtcNow() { return installedClock ? installedClock() : systemClock(); }

void SystemInfo::SetClock(Clock clock) { installedClock = clock; }
