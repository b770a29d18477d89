#include "ThumbnailWriter.h"

#include <algorithm>
#include <strings.h>

namespace {

void put16(std::vector<uint8_t>& b, size_t at, uint32_t v) { b[at] = uint8_t(v); b[at + 1] = uint8_t(v >> 8); }
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

// Ink of a packed row at x as 0..255.
unsigned inkAt(const uint8_t* row, int depth, uint32_t x) {
    if (depth == 8) return row[x];
    return (row[x / 8] & (0x80 >> (x % 8))) ? 255 : 0;
}

// Index 0..3 for Cyan, Magenta, Yellow, Black; -1 for other planes.
int processIndex(const std::string& name) {
    static const char* const kNames[4] = {"Cyan", "Magenta", "Yellow", "Black"};
    for (int i = 0; i < 4; ++i)
        if (strcasecmp(name.c_str(), kNames[i]) == 0) return i;
    return -1;
}

}  // namespace

ThumbnailWriter::ThumbnailWriter(const RasterPage& shape) : shape_(shape) {
    for (const RasterPlane& plane : shape_.planes) inks_.push_back(processIndex(plane.name));
    const uint32_t srcW = std::max<uint32_t>(shape_.width, 1), srcH = std::max<uint32_t>(shape_.height, 1);
    const uint32_t longest = std::max(srcW, srcH);
    width_ = longest <= kMaxSide ? srcW : std::max<uint32_t>(1, uint32_t(uint64_t(srcW) * kMaxSide / longest));
    height_ = longest <= kMaxSide ? srcH : std::max<uint32_t>(1, uint32_t(uint64_t(srcH) * kMaxSide / longest));
    stride_ = (3 * width_ + 3) / 4 * 4;
    bmp_.assign(kHeaderSize + size_t(stride_) * height_, 0);
    bmp_[0] = 'B';
    bmp_[1] = 'M';
    put32(bmp_, 2, uint32_t(bmp_.size()));
    put32(bmp_, 10, kHeaderSize);
    put32(bmp_, 14, 40);
    put32(bmp_, 18, width_);
    put32(bmp_, 22, height_);
    put16(bmp_, 26, 1);
    put16(bmp_, 28, 24);
    put32(bmp_, 34, uint32_t(size_t(stride_) * height_));
    put32(bmp_, 38, 2835);   // 72 dpi
    put32(bmp_, 42, 2835);
    for (uint32_t ty = 0; ty < height_; ++ty)
        std::fill_n(bmp_.begin() + kHeaderSize + size_t(stride_) * ty, 3 * width_, uint8_t(255));
}

void ThumbnailWriter::addRow(uint32_t y, const uint8_t* const* rows) {
    // Preview row ty shows page row ty * height / height_: the rows that show y follow each other.
    for (; nextRow_ < height_ && uint64_t(nextRow_) * shape_.height / height_ == y; ++nextRow_) {
        // BMP rows run bottom-up.
        uint8_t* out = bmp_.data() + kHeaderSize + size_t(stride_) * (height_ - 1 - nextRow_);
        for (uint32_t tx = 0; tx < width_; ++tx) {
            const uint32_t x = uint32_t(uint64_t(tx) * shape_.width / width_);
            unsigned ink[4] = {0, 0, 0, 0};
            for (size_t p = 0; p < shape_.planes.size(); ++p)
                if (inks_[p] >= 0) ink[inks_[p]] = inkAt(rows[p], shape_.planes[p].depth, x);
            const unsigned k = ink[3];
            out[3 * tx + 0] = uint8_t(255 - std::min(255u, ink[2] + k));   // blue
            out[3 * tx + 1] = uint8_t(255 - std::min(255u, ink[1] + k));   // green
            out[3 * tx + 2] = uint8_t(255 - std::min(255u, ink[0] + k));   // red
        }
    }
}
