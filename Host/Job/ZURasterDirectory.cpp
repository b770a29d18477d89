#include "ZURasterDirectory.h"

#include <algorithm>
#include <cstring>
#include <utility>

using namespace ZURasterFormat;

namespace {

constexpr size_t kPageRecordSize = 16;
constexpr size_t kPlaneRecordSize = 4;
constexpr size_t kImageRecordSize = 32;

// Appends little-endian fields to a growing byte vector.
class ByteSink {
public:
    explicit ByteSink(std::vector<uint8_t>& out) : out_(out) {}
    uint8_t* Take(size_t n) {
        out_.resize(out_.size() + n);
        return out_.data() + out_.size() - n;
    }
    void Bytes(const std::string& s) {
        std::memcpy(Take(s.size()), s.data(), s.size());
    }

private:
    std::vector<uint8_t>& out_;
};

// Hands out fixed-size records from the page table; fails once the bytes run out.
class ByteSource {
public:
    ByteSource(const uint8_t* bytes, size_t size) : p_(bytes), left_(size) {}
    const uint8_t* Take(size_t n) {
        if (n > left_) return nullptr;
        const uint8_t* r = p_;
        p_ += n;
        left_ -= n;
        return r;
    }
    bool AtEnd() const { return left_ == 0; }

private:
    const uint8_t* p_;
    size_t left_;
};

bool InRange(uint32_t v, int max) { return v >= 1 && v <= static_cast<uint32_t>(max); }

bool ReadName(ByteSource& src, size_t length, std::string& name) {
    const uint8_t* p = src.Take(length);
    if (!p || std::memchr(p, 0, length)) return false;
    name.assign(reinterpret_cast<const char*>(p), length);
    return true;
}

bool ReadPlane(ByteSource& src, ZURasterPlane& plane) {
    const uint8_t* r = src.Take(kPlaneRecordSize);
    if (!r || !IsValidDepth(r[0]) || r[3] != 0) return false;
    plane.depth = r[0];
    return ReadName(src, r[1], plane.name) && ReadName(src, r[2], plane.internalName);
}

bool ReadImage(ByteSource& src, ZURasterImageInfo& image) {
    const uint8_t* r = src.Take(kImageRecordSize);
    if (!r || !InRange(Get32(r), kMaxWidth) || !InRange(Get32(r + 4), kMaxHeight)) return false;
    image.width = static_cast<int>(Get32(r));
    image.height = static_cast<int>(Get32(r + 4));
    image.dataOffset = Get64(r + 8);
    image.dataSize = Get64(r + 16);
    image.indexOffset = Get64(r + 24);
    return true;
}

bool ReadPage(ByteSource& src, ZURasterPage& page) {
    const uint8_t* r = src.Take(kPageRecordSize);
    if (!r || (r[0] != kImagePage && r[0] != kTiledPage) || !InRange(r[1], kMaxPlanes) ||
        Get16(r + 2) != 0 || !InRange(Get32(r + 4), kMaxWidth) || !InRange(Get32(r + 8), kMaxHeight))
        return false;
    page.kind = r[0];
    page.width = static_cast<int>(Get32(r + 4));
    page.height = static_cast<int>(Get32(r + 8));
    const uint32_t imageCount = Get32(r + 12);
    if (page.kind == kImagePage ? imageCount != 1 : !InRange(imageCount, kMaxTiles)) return false;
    page.planes.resize(r[1]);
    for (ZURasterPlane& plane : page.planes)
        if (!ReadPlane(src, plane)) return false;
    page.images.resize(imageCount);
    for (ZURasterImageInfo& image : page.images)
        if (!ReadImage(src, image)) return false;
    const ZURasterImageInfo& first = page.images.front();
    return page.kind == kTiledPage || (first.width == page.width && first.height == page.height);
}

// Every data and index area lies after the header and before dataEnd, and
// no two of them share a byte (lines of one image may share bytes: the
// writer stores a repeated line once).
bool AreasAreDisjoint(const std::vector<ZURasterPage>& pages, uint64_t dataEnd) {
    std::vector<std::pair<uint64_t, uint64_t>> areas;
    auto add = [&](uint64_t offset, uint64_t size) {
        if (offset < kHeaderSize || offset > dataEnd || size > dataEnd - offset) return false;
        if (size) areas.emplace_back(offset, offset + size);
        return true;
    };
    for (const ZURasterPage& page : pages)
        for (const ZURasterImageInfo& image : page.images)
            if (!add(image.dataOffset, image.dataSize) ||
                !add(image.indexOffset, ZURasterDirectory::IndexSize(page, image)))
                return false;
    std::sort(areas.begin(), areas.end());
    for (size_t i = 1; i < areas.size(); ++i)
        if (areas[i].first < areas[i - 1].second) return false;
    return true;
}

}  // namespace

uint64_t ZURasterDirectory::IndexSize(const ZURasterPage& page, const ZURasterImageInfo& image) {
    return uint64_t(page.planes.size()) * uint64_t(image.height) * kIndexEntrySize;
}

std::vector<uint8_t> ZURasterDirectory::Encode(const std::vector<ZURasterPage>& pages) {
    std::vector<uint8_t> out;
    ByteSink sink(out);
    for (const ZURasterPage& page : pages) {
        uint8_t* r = sink.Take(kPageRecordSize);
        r[0] = static_cast<uint8_t>(page.kind);
        r[1] = static_cast<uint8_t>(page.planes.size());
        Put16(r + 2, 0);
        Put32(r + 4, static_cast<uint32_t>(page.width));
        Put32(r + 8, static_cast<uint32_t>(page.height));
        Put32(r + 12, static_cast<uint32_t>(page.images.size()));
        for (const ZURasterPlane& plane : page.planes) {
            uint8_t* p = sink.Take(kPlaneRecordSize);
            p[0] = static_cast<uint8_t>(plane.depth);
            p[1] = static_cast<uint8_t>(plane.name.size());
            p[2] = static_cast<uint8_t>(plane.internalName.size());
            p[3] = 0;
            sink.Bytes(plane.name);
            sink.Bytes(plane.internalName);
        }
        for (const ZURasterImageInfo& image : page.images) {
            uint8_t* p = sink.Take(kImageRecordSize);
            Put32(p, static_cast<uint32_t>(image.width));
            Put32(p + 4, static_cast<uint32_t>(image.height));
            Put64(p + 8, image.dataOffset);
            Put64(p + 16, image.dataSize);
            Put64(p + 24, image.indexOffset);
        }
    }
    return out;
}

bool ZURasterDirectory::Parse(const uint8_t* bytes, size_t size, uint32_t pageCount, uint64_t dataEnd,
                              std::vector<ZURasterPage>& pages) {
    // Every page takes at least one page record, so a count the bytes cannot
    // hold is refused before anything is allocated for it.
    if (pageCount > kMaxPages || pageCount > size / kPageRecordSize) return false;
    ByteSource src(bytes, size);
    pages.assign(pageCount, ZURasterPage{});
    for (ZURasterPage& page : pages)
        if (!ReadPage(src, page)) return false;
    return src.AtEnd() && AreasAreDisjoint(pages, dataEnd);
}
