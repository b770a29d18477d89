#pragma once
// One page image of a raster job (or one tile of a tiled page). Owned by the
// ZUJob it came from.
#include "AColorant.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class AImage {
public:
    virtual ~AImage() = default;
    virtual int GetWidth() const = 0;                           // pixels per line
    virtual int GetHeight() const = 0;                          // lines
    virtual const std::vector<AColorant*>& GetColorants() const = 0;   // one per plane, owned by the image
    // Reads line `line` of plane `plane`: (depth * width + 7) / 8 bytes into buffer.
    // 0 when an index is out of range, the buffer is too small or the data is corrupt.
    virtual int ReadLine(int plane, int line, uint8_t* buffer, size_t bufferSize) = 0;
};
