#include "ZURasterWriter.h"

#include "ZUPackBits.h"
#include "ZURasterDirectory.h"
#include "ZURasterFormat.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace ZURasterFormat;

struct ZURasterWriter::State {
    AString path;
    AString tempPath;
    std::FILE* file = nullptr;
    AString error;
    uint64_t offset = 0;                      // bytes written to the file so far
    std::vector<ZURasterPage> pages;
    bool pageOpen = false;

    // The open image (the page image or one tile).
    bool imageOpen = false;
    ZURasterImageInfo image;
    std::vector<LineEntry> entries;           // planes x height, plane after plane
    size_t linesLeft = 0;
    std::vector<uint8_t> line;                // the line being stored, padding bits cleared
    std::vector<uint8_t> packed;
    std::vector<std::vector<uint8_t>> lastPacked;   // per plane: the last line stored
    std::vector<LineEntry> lastEntry;
    // Per plane: packed lines not yet written, and the entries whose offsets still count from the
    // chunk's start (the plane's last entry among them while its bytes wait here).
    struct Chunk {
        std::vector<uint8_t> bytes;
        std::vector<size_t> entries;
        bool holdsLast = false;
    };
    std::vector<Chunk> chunks;

    ~State() { Abandon(); }

    bool Fail(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void Abandon();
    bool Write(const void* bytes, size_t size);
    bool CheckWritable();
    bool CheckPageOpen();
    bool CheckSize(int width, int height);
    ZURasterPage& Page() { return pages.back(); }
    bool OpenImage(int width, int height);
    bool CloseImage();
    bool WriteIndex();
    bool Store(int plane, LineEntry& entry, size_t size);
    bool FlushChunk(size_t plane);
};

namespace {
constexpr size_t kChunkBytes = 1024 * 1024;   // a plane's packed lines gathered before they are written
}

bool ZURasterWriter::State::Fail(const char* format, ...) {
    if (error.IsEmpty()) {
        va_list args;
        va_start(args, format);
        error.FormatV(format, args);
        va_end(args);
    }
    Abandon();
    return false;
}

void ZURasterWriter::State::Abandon() {
    if (!file) return;
    std::fclose(file);
    file = nullptr;
    std::remove(tempPath.c_str());
}

bool ZURasterWriter::State::Write(const void* bytes, size_t size) {
    // An empty block (the page table of a job without pages) may come without a buffer.
    if (size == 0) return true;
    if (std::fwrite(bytes, 1, size, file) != size)
        return Fail("cannot write %s: %s", tempPath.c_str(), std::strerror(errno));
    offset += size;
    return true;
}

bool ZURasterWriter::State::CheckWritable() {
    if (!error.IsEmpty()) return false;
    if (!file) return Fail("no raster file is being written");
    return true;
}

bool ZURasterWriter::State::CheckPageOpen() {
    if (!CheckWritable()) return false;
    if (!pageOpen) return Fail("no page is open");
    return true;
}

bool ZURasterWriter::State::CheckSize(int width, int height) {
    if (width < 1 || width > kMaxWidth || height < 1 || height > kMaxHeight)
        return Fail("image size %d x %d outside 1..%d x 1..%d", width, height, kMaxWidth, kMaxHeight);
    return true;
}

bool ZURasterWriter::State::OpenImage(int width, int height) {
    const ZURasterPage& page = Page();
    if (page.planes.empty()) return Fail("page %zu has no planes", pages.size() - 1);
    image = ZURasterImageInfo{width, height, offset, 0, 0};
    const size_t planeCount = page.planes.size();
    entries.assign(planeCount * size_t(height), LineEntry{});
    linesLeft = entries.size();
    size_t lineBytes = 0;
    for (const ZURasterPlane& plane : page.planes) lineBytes = std::max(lineBytes, LineBytes(plane.depth, width));
    line.resize(lineBytes);
    packed.resize(MaxPackedSize(lineBytes));
    lastPacked.resize(planeCount);
    for (std::vector<uint8_t>& last : lastPacked) {
        last.clear();
        last.reserve(packed.size());
    }
    lastEntry.assign(planeCount, LineEntry{});
    chunks.resize(planeCount);
    for (Chunk& chunk : chunks) {
        chunk.bytes.clear();
        chunk.bytes.reserve(kChunkBytes + packed.size());
        chunk.entries.clear();
        chunk.holdsLast = false;
    }
    imageOpen = true;
    return true;
}

bool ZURasterWriter::State::WriteIndex() {
    uint8_t chunk[256 * kIndexEntrySize];
    for (size_t i = 0; i < entries.size();) {
        const size_t n = std::min<size_t>(256, entries.size() - i);
        for (size_t k = 0; k < n; ++k) PutEntry(chunk + k * kIndexEntrySize, entries[i + k]);
        if (!Write(chunk, n * kIndexEntrySize)) return false;
        i += n;
    }
    return true;
}

// Stores the `size` packed bytes in `packed` as `entry` (an element of `entries`), a line of the plane.
// A line equal to the plane's previous one (blank margins, flat areas) points at the bytes already
// stored; another goes into the plane's chunk, and its entry gets its offset once the chunk is written.
// A full chunk is written at once.
bool ZURasterWriter::State::Store(int plane, LineEntry& entry, size_t size) {
    const size_t p = size_t(plane);
    Chunk& chunk = chunks[p];
    const size_t index = size_t(&entry - entries.data());
    std::vector<uint8_t>& last = lastPacked[p];
    if (last.size() == size && std::memcmp(last.data(), packed.data(), size) == 0) {
        entry = lastEntry[p];
        if (chunk.holdsLast) chunk.entries.push_back(index);
        return true;
    }
    last.assign(packed.begin(), packed.begin() + std::ptrdiff_t(size));
    entry = LineEntry{chunk.bytes.size(), static_cast<uint32_t>(size), Crc32(packed.data(), size)};
    chunk.bytes.insert(chunk.bytes.end(), packed.begin(), packed.begin() + std::ptrdiff_t(size));
    chunk.entries.push_back(index);
    lastEntry[p] = entry;
    chunk.holdsLast = true;
    return chunk.bytes.size() < kChunkBytes || FlushChunk(p);
}

bool ZURasterWriter::State::FlushChunk(size_t plane) {
    Chunk& chunk = chunks[plane];
    for (size_t index : chunk.entries) entries[index].offset += offset;
    if (chunk.holdsLast) lastEntry[plane].offset += offset;
    chunk.entries.clear();
    chunk.holdsLast = false;
    const bool written = Write(chunk.bytes.data(), chunk.bytes.size());
    chunk.bytes.clear();
    return written;
}

bool ZURasterWriter::State::CloseImage() {
    if (linesLeft != 0) {
        const size_t missing = size_t(std::find_if(entries.begin(), entries.end(),
                                                   [](const LineEntry& e) { return e.length == 0; }) -
                                      entries.begin());
        return Fail("page %zu: line %zu of plane %zu was not written", pages.size() - 1,
                    missing % size_t(image.height), missing / size_t(image.height));
    }
    for (size_t plane = 0; plane < chunks.size(); ++plane)
        if (!FlushChunk(plane)) return false;
    image.dataSize = offset - image.dataOffset;
    image.indexOffset = offset;
    if (!WriteIndex()) return false;
    Page().images.push_back(image);
    imageOpen = false;
    return true;
}

ZURasterWriter::ZURasterWriter() : s_(std::make_unique<State>()) {}
ZURasterWriter::~ZURasterWriter() = default;

bool ZURasterWriter::Create(const char* path) {
    s_ = std::make_unique<State>();
    if (!path || !*path) return s_->Fail("no raster file name");
    s_->path = path;
    s_->tempPath = s_->path + ".part";
    s_->file = std::fopen(s_->tempPath.c_str(), "wb");
    if (!s_->file) return s_->Fail("cannot create %s: %s", s_->tempPath.c_str(), std::strerror(errno));
    // The header is written last; until then the file starts with zeros and is never taken as valid.
    const uint8_t blank[kHeaderSize] = {};
    return s_->Write(blank, sizeof blank);
}

bool ZURasterWriter::BeginPage(int width, int height) {
    if (!s_->CheckWritable()) return false;
    if (s_->pageOpen) return s_->Fail("page %zu was not ended", s_->pages.size() - 1);
    if (s_->pages.size() >= kMaxPages) return s_->Fail("more than %u pages", kMaxPages);
    if (!s_->CheckSize(width, height)) return false;
    ZURasterPage page;
    page.kind = kImagePage;
    page.width = width;
    page.height = height;
    s_->pages.push_back(std::move(page));
    s_->pageOpen = true;
    return true;
}

bool ZURasterWriter::BeginTiledPage(int width, int height) {
    if (!BeginPage(width, height)) return false;
    s_->Page().kind = kTiledPage;
    return true;
}

bool ZURasterWriter::AddPlane(const char* displayName, const char* internalName, int depth) {
    if (!s_->CheckPageOpen()) return false;
    ZURasterPage& page = s_->Page();
    if (s_->imageOpen || !page.images.empty()) return s_->Fail("planes must be added before the first line or tile");
    if (page.planes.size() >= size_t(kMaxPlanes)) return s_->Fail("more than %d planes", kMaxPlanes);
    if (!IsValidDepth(depth)) return s_->Fail("plane depth %d is not 1, 2 or 8", depth);
    ZURasterPlane plane{displayName ? displayName : "", internalName ? internalName : "", depth};
    if (plane.name.size() > size_t(kMaxNameLength) || plane.internalName.size() > size_t(kMaxNameLength))
        return s_->Fail("plane name longer than %d bytes", kMaxNameLength);
    page.planes.push_back(std::move(plane));
    return true;
}

bool ZURasterWriter::BeginTile(int width, int height) {
    if (!s_->CheckPageOpen()) return false;
    if (s_->Page().kind != kTiledPage) return s_->Fail("page %zu is not tiled", s_->pages.size() - 1);
    if (s_->imageOpen && !s_->CloseImage()) return false;
    if (s_->Page().images.size() >= size_t(kMaxTiles)) return s_->Fail("more than %d tiles", kMaxTiles);
    return s_->CheckSize(width, height) && s_->OpenImage(width, height);
}

bool ZURasterWriter::WriteLine(int plane, int line, const uint8_t* data, size_t size) {
    if (!s_->CheckPageOpen()) return false;
    State& s = *s_;
    if (!s.imageOpen) {
        if (s.Page().kind == kTiledPage) return s.Fail("no tile is open");
        if (!s.Page().images.empty()) return s.Fail("the page image is already complete");
        if (!s.OpenImage(s.Page().width, s.Page().height)) return false;
    }
    const int planeCount = static_cast<int>(s.Page().planes.size());
    if (plane < 0 || plane >= planeCount || line < 0 || line >= s.image.height)
        return s.Fail("line %d of plane %d is outside the image", line, plane);
    const int depth = s.Page().planes[size_t(plane)].depth;
    const size_t lineBytes = LineBytes(depth, s.image.width);
    if (!data || size < lineBytes) return s.Fail("line %d of plane %d: %zu bytes, %zu needed", line, plane, size, lineBytes);
    LineEntry& entry = s.entries[size_t(plane) * size_t(s.image.height) + size_t(line)];
    if (entry.length != 0) return s.Fail("line %d of plane %d was written twice", line, plane);

    std::memcpy(s.line.data(), data, lineBytes);
    const unsigned padBits = unsigned(lineBytes * 8 - size_t(depth) * size_t(s.image.width));
    s.line[lineBytes - 1] &= uint8_t(0xFF << padBits);
    --s.linesLeft;
    return s.Store(plane, entry, ZUPackBits::Pack(s.line.data(), lineBytes, s.packed.data()));
}

bool ZURasterWriter::EndPage() {
    if (!s_->CheckPageOpen()) return false;
    if (!s_->imageOpen) {
        if (s_->Page().kind == kTiledPage) return s_->Fail("page %zu has no tiles", s_->pages.size() - 1);
        return s_->Fail("page %zu has no lines", s_->pages.size() - 1);
    }
    if (!s_->CloseImage()) return false;
    s_->pageOpen = false;
    return true;
}

bool ZURasterWriter::Finish() {
    if (!s_->CheckWritable()) return false;
    State& s = *s_;
    if (s.pageOpen) return s.Fail("page %zu was not ended", s.pages.size() - 1);
    const std::vector<uint8_t> directory = ZURasterDirectory::Encode(s.pages);
    if (directory.size() > kMaxDirectorySize) return s.Fail("page table larger than %llu bytes",
                                                            static_cast<unsigned long long>(kMaxDirectorySize));
    Header header;
    header.pageCount = static_cast<uint32_t>(s.pages.size());
    header.directoryOffset = s.offset;
    header.directorySize = directory.size();
    header.directoryCrc = Crc32(directory.data(), directory.size());
    if (!s.Write(directory.data(), directory.size())) return false;
    uint8_t bytes[kHeaderSize];
    PutHeader(bytes, header);
    if (std::fseek(s.file, 0, SEEK_SET) != 0 || std::fwrite(bytes, 1, sizeof bytes, s.file) != sizeof bytes ||
        std::fflush(s.file) != 0)
        return s.Fail("cannot write %s: %s", s.tempPath.c_str(), std::strerror(errno));
    // Data lost at close (a full disk) shows only here.
    const int closed = std::fclose(s.file);
    s.file = nullptr;
    const int closeError = errno;
    if (closed != 0) {
        std::remove(s.tempPath.c_str());
        return s.Fail("cannot write %s: %s", s.tempPath.c_str(), std::strerror(closeError));
    }
    if (std::rename(s.tempPath.c_str(), s.path.c_str()) != 0) {
        const int renameError = errno;
        std::remove(s.tempPath.c_str());
        return s.Fail("cannot rename %s to %s: %s", s.tempPath.c_str(), s.path.c_str(), std::strerror(renameError));
    }
    return true;
}

const AString& ZURasterWriter::GetError() const { return s_->error; }
