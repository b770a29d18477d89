#pragma once
// Facts about the machine that go into job tickets: its network name and the
// current time in UTC. Tests may replace the clock.
#include "AString.h"

// A broken-down UTC time (month 1-12, day 1-31).
struct SystemTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

class SystemInfo {
public:
    using Clock = SystemTime (*)();

    // The computer's network name, at most 299 characters; empty when the system gives none.
    static AString ComputerName();
    // The current time in UTC from the installed clock (the system clock by default).
    static SystemTime UtcNow();
    // Installs a clock for UtcNow; null restores the system clock.
    static void SetClock(Clock clock);
};
