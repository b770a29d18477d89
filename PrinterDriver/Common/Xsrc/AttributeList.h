#pragma once
// All XML attributes of one element, by name, in document order.
#include "AArray.h"
#include "AString.h"

class AttributeList {
public:
    AStringArray names;
    AStringArray values;

    // Value of the first attribute named exactly `name`; empty when there is none.
    AString lookup(const char* name) const;
};
