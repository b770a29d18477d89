#pragma once
// The CMYK output profile used when the user names none (LittleCMS has no
// CMYK profile of its own). It is generated, not measured: it separates the
// sRGB colour of each Lab value the plain way, K = 1 - max(R, G, B) and
// C = (1 - R - K) / (1 - K) (likewise M from G, Y from B), so every grey
// prints with black ink alone; its inverse, R = (1 - C)(1 - K), maps CMYK
// back to Lab.
#include <lcms2.h>

#include <string>

class GeneratedCmykProfile {
public:
    // A new profile the caller closes with cmsCloseProfile; null when LittleCMS fails.
    static cmsHPROFILE create();
    // Writes the profile to path as an ICC file; false when it cannot.
    static bool save(const std::string& path);
};
