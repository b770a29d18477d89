#include "BmpBandSink.h"

#include "RVLog.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace {
const char* const kLogSource = "Host\\Image\\BmpBandSink";
const std::uint32_t kFileHeaderBytes = 14;
const std::uint32_t kInfoHeaderBytes = 40;

// Little-endian fields appended to a header being assembled.
void put16(std::vector<unsigned char>& out, std::uint32_t value) {
    out.push_back(static_cast<unsigned char>(value));
    out.push_back(static_cast<unsigned char>(value >> 8));
}
void put32(std::vector<unsigned char>& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// Bytes of one row of `pixels` pixels, padded to a multiple of four.
std::uint64_t paddedRowBytes(std::uint64_t pixels, int bitsPerPixel) {
    return (pixels * static_cast<std::uint64_t>(bitsPerPixel) + 31) / 32 * 4;
}

// BMP's nearest standard depth that holds every pixel value unchanged.
int storedDepth(int bitsPerPixel) { return bitsPerPixel == 2 ? 4 : bitsPerPixel; }

// One palette entry per value the image's own depth can hold.
std::uint32_t paletteEntries(int bitsPerPixel) { return bitsPerPixel <= 8 ? 1u << bitsPerPixel : 0; }

// Four 2-bit pixels (most significant first) as four 4-bit pixels in two bytes.
void widenTwoBitPixels(unsigned char in, unsigned char* out) {
    out[0] = static_cast<unsigned char>((in >> 6 & 3) << 4 | (in >> 4 & 3));
    out[1] = static_cast<unsigned char>((in >> 2 & 3) << 4 | (in & 3));
}

// Grey for palette index i of n entries: white for no ink down to black for full ink.
unsigned char greyLevel(std::uint32_t i, std::uint32_t n) {
    return static_cast<unsigned char>(255 - (i * 255 + (n - 1) / 2) / (n - 1));
}

std::uint32_t pixelsPerMetre(double dpi) {
    const double value = std::round(dpi / 0.0254);
    return std::isfinite(value) && value > 0 && value <= std::numeric_limits<std::int32_t>::max()
               ? static_cast<std::uint32_t>(value) : 0;
}
}  // namespace

BmpBandSink::BmpBandSink(const ImageLayout& layout, int storedBits)
    : path_(layout.path),
      storedBits_(storedBits),
      rowBytes_(static_cast<std::size_t>(paddedRowBytes(layout.width, layout.bitsPerPixel))),
      storedRowBytes_(static_cast<std::size_t>(paddedRowBytes(layout.width, storedBits))),
      height_(layout.height) {
    if (storedBits_ != layout.bitsPerPixel) widened_.assign(std::max(storedRowBytes_, 2 * rowBytes_), 0);
}

BmpBandSink::~BmpBandSink() {
    if (file_) std::fclose(file_);
}

std::unique_ptr<BmpBandSink> BmpBandSink::open(const ImageLayout& layout) {
    const int storedBits = storedDepth(layout.bitsPerPixel);
    const std::uint64_t imageBytes = paddedRowBytes(layout.width, storedBits) * layout.height;
    const std::uint64_t limit = std::numeric_limits<std::uint32_t>::max() - 2048;
    if (layout.width > std::uint32_t(std::numeric_limits<std::int32_t>::max()) ||
        layout.height > std::uint32_t(std::numeric_limits<std::int32_t>::max()) || imageBytes > limit) {
        RV_LOG(kLogSource)("%s: %u x %u pixels do not fit a BMP file", layout.path, layout.width, layout.height);
        return nullptr;
    }
    std::unique_ptr<BmpBandSink> sink(new BmpBandSink(layout, storedBits));
    sink->file_ = std::fopen(layout.path, "wb");
    if (!sink->file_ || !sink->writeHeaders(layout)) {
        RV_LOG(kLogSource)("Cannot create BMP file %s", layout.path);
        if (sink->file_) std::remove(layout.path);
        return nullptr;
    }
    return sink;
}

bool BmpBandSink::writeHeaders(const ImageLayout& layout) {
    const std::uint32_t colours = paletteEntries(layout.bitsPerPixel);
    const std::uint32_t dataOffset = kFileHeaderBytes + kInfoHeaderBytes + 4 * colours;
    dataOffset_ = dataOffset;
    const auto imageBytes = static_cast<std::uint32_t>(storedRowBytes_ * layout.height);
    std::vector<unsigned char> head;
    head.reserve(dataOffset);
    head.push_back('B');
    head.push_back('M');
    put32(head, dataOffset + imageBytes);
    put32(head, 0);   // two reserved 16-bit fields
    put32(head, dataOffset);
    put32(head, kInfoHeaderBytes);
    put32(head, layout.width);
    put32(head, layout.height);   // positive: bottom-up
    put16(head, 1);             // planes
    put16(head, static_cast<std::uint32_t>(storedBits_));
    put32(head, 0);             // BI_RGB
    put32(head, imageBytes);
    put32(head, pixelsPerMetre(layout.xResolution));
    put32(head, pixelsPerMetre(layout.yResolution));
    put32(head, colours);       // may be fewer than the stored depth could index
    put32(head, 0);             // all colours important
    for (std::uint32_t i = 0; i < colours; ++i) {
        const unsigned char grey = greyLevel(i, colours);
        head.insert(head.end(), {grey, grey, grey, 0});   // blue, green, red, reserved
    }
    return std::fwrite(head.data(), 1, head.size(), file_) == head.size();
}

bool BmpBandSink::writeRow(const unsigned char* row) {
    if (!file_ || nextRow_ >= height_) return false;
    const unsigned char* stored = row;
    if (!widened_.empty()) {
        for (std::size_t i = 0; i < rowBytes_; ++i) widenTwoBitPixels(row[i], widened_.data() + 2 * i);
        stored = widened_.data();
    }
    // Bottom-up: the top row is the last one in the file.
    const std::uint64_t at = dataOffset_ + std::uint64_t{height_ - 1 - nextRow_} * storedRowBytes_;
    if (fseeko(file_, static_cast<off_t>(at), SEEK_SET) != 0 ||
        std::fwrite(stored, 1, storedRowBytes_, file_) != storedRowBytes_)
        return false;
    ++nextRow_;
    return true;
}

bool BmpBandSink::finish() {
    if (!file_) return false;
    const bool ok = std::fflush(file_) == 0 && !std::ferror(file_);
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!ok || !closed) RV_LOG(kLogSource)("Cannot complete BMP file %s", path_.c_str());
    return ok && closed;
}
