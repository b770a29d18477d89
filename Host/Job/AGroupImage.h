#pragma once
// The page image of a tiled page: a group of tile images.
#include "AImage.h"

class AGroupImage : public AImage {
public:
    virtual int GetImageCount() const = 0;
    virtual AImage* GetImage(int index) = 0;   // null outside 0..count-1
};
