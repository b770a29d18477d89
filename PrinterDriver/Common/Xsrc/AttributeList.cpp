#include "AttributeList.h"

#include <cstring>

AString AttributeList::lookup(const char* name) const {
    if (!name) return AString();
    for (int i = 0; i < names.GetSize() && i < values.GetSize(); ++i)
        if (std::strcmp(names[i], name) == 0) return values[i];
    return AString();
}
