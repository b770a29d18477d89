#include "ZURasterImage.h"

int ZURasterImage::ReadLine(int plane, int line, uint8_t* buffer, size_t bufferSize) {
    if (plane < 0 || size_t(plane) >= page_.planes.size() || line < 0 || line >= info_.height || !buffer)
        return 0;
    const size_t lineBytes = ZURasterFormat::LineBytes(page_.planes[size_t(plane)].depth, info_.width);
    if (bufferSize < lineBytes) return 0;
    return file_.ReadLine(info_, plane, line, buffer, lineBytes) ? 1 : 0;
}
