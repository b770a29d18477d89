#include "BmpBandSink.h"

#include "RVLog.h"

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

std::uint32_t paletteEntries(int bitsPerPixel) { return bitsPerPixel <= 8 ? 1u << bitsPerPixel : 0; }

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

BmpBandSink::BmpBandSink(const ImageLayout& layout, std::size_t rowBytes) : path_(layout.path), rowBytes_(rowBytes) {}

BmpBandSink::~BmpBandSink() {
    if (file_) std::fclose(file_);
}

std::unique_ptr<BmpBandSink> BmpBandSink::open(const ImageLayout& layout) {
    const std::uint64_t rowBytes = (std::uint64_t{layout.width} * layout.bitsPerPixel + 31) / 32 * 4;
    const std::uint64_t imageBytes = rowBytes * layout.height;
    const std::uint64_t limit = std::numeric_limits<std::uint32_t>::max() - 2048;
    if (layout.width > std::uint32_t(std::numeric_limits<std::int32_t>::max()) ||
        layout.height > std::uint32_t(std::numeric_limits<std::int32_t>::max()) || imageBytes > limit) {
        RV_LOG(kLogSource)("%s: %u x %u pixels do not fit a BMP file", layout.path, layout.width, layout.height);
        return nullptr;
    }
    std::unique_ptr<BmpBandSink> sink(new BmpBandSink(layout, static_cast<std::size_t>(rowBytes)));
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
    const auto imageBytes = static_cast<std::uint32_t>(rowBytes_ * layout.height);
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
    put16(head, static_cast<std::uint32_t>(layout.bitsPerPixel));
    put32(head, 0);             // BI_RGB
    put32(head, imageBytes);
    put32(head, pixelsPerMetre(layout.xResolution));
    put32(head, pixelsPerMetre(layout.yResolution));
    put32(head, colours);
    put32(head, 0);             // all colours important
    for (std::uint32_t i = 0; i < colours; ++i) {
        const unsigned char grey = greyLevel(i, colours);
        head.insert(head.end(), {grey, grey, grey, 0});   // blue, green, red, reserved
    }
    return std::fwrite(head.data(), 1, head.size(), file_) == head.size();
}

bool BmpBandSink::writeRow(unsigned char* row) {
    return file_ && std::fwrite(row, 1, rowBytes_, file_) == rowBytes_;
}

bool BmpBandSink::finish() {
    if (!file_) return false;
    const bool ok = std::fflush(file_) == 0 && !std::ferror(file_);
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!ok || !closed) RV_LOG(kLogSource)("Cannot complete BMP file %s", path_.c_str());
    return ok && closed;
}
