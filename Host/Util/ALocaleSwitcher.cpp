#include "ALocaleSwitcher.h"

ALocaleSwitcher::ALocaleSwitcher()
    : cLocale_(newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0))),
      previous_(cLocale_ ? uselocale(cLocale_) : static_cast<locale_t>(0)) {}

ALocaleSwitcher::~ALocaleSwitcher() {
    if (!cLocale_) return;
    uselocale(previous_);
    freelocale(cLocale_);
}
