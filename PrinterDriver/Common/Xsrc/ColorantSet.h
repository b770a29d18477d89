#pragma once
// The colorants of one colour mode of a printer description, in file order;
// the four arrays run in parallel.
#include "AArray.h"

struct ColorantSet {
    AStringArray internalNames;   // internal name of the referenced colour
    AStringArray displayNames;    // its display name
    ADWordArray depths;           // bits per pixel ("ColorDepth")
    AByteArray spotFlags;         // 1 for a spot colour, else 0
};
