#pragma once
// One colour plane of a raster image: display name, internal name and bits per pixel.
#include "AString.h"

class AColorant {
public:
    AColorant(const char* displayName, const char* internalName, int depth)
        : name_(displayName), internalName_(internalName), depth_(depth) {}
    const AString& GetName() const { return name_; }                  // display name
    const AString& GetInternalName() const { return internalName_; }
    int GetDepth() const { return depth_; }                           // bits per pixel: 1, 2 or 8

private:
    AString name_;
    AString internalName_;
    int depth_;
};
