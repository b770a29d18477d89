#pragma once
// Holds the C numeric locale ("C") for its lifetime, so that decimal numbers
// in parameter files read the same whatever the user's locale.
#include <clocale>

class ALocaleSwitcher {
public:
    ALocaleSwitcher();
    ~ALocaleSwitcher();
    ALocaleSwitcher(const ALocaleSwitcher&) = delete;
    ALocaleSwitcher& operator=(const ALocaleSwitcher&) = delete;

private:
    locale_t cLocale_;
    locale_t previous_;
};
