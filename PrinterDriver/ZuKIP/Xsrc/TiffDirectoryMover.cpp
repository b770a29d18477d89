#include "TiffDirectoryMover.h"

#include "AFile.h"
#include "AFilePath.h"
#include "RVLog.h"
#include "ZuDrvUtl.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <new>
#include <string>
#include <unistd.h>
#include <vector>

namespace {
const char* const kLogSource = "PrinterDriver\\ZuKIP\\Xsrc\\TiffDirectoryMover";
const std::size_t kCopyChunkBytes = 500000;
const std::uint32_t kHeaderBytes = 8;
const std::uint32_t kEntryBytes = 12;
const std::uint16_t kTagStripOffsets = 273;
// The writer's directory with its values is a few hundred bytes; a larger
// tail means the file is not one of ours.
const std::uint64_t kMaxDirectoryBlockBytes = 16u * 1024 * 1024;

std::uint16_t get16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t get32(const unsigned char* p) { return get16(p) | std::uint32_t{get16(p + 2)} << 16; }
void put16(unsigned char* p, std::uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
void put32(unsigned char* p, std::uint32_t v) {
    put16(p, v & 0xFFFF);
    put16(p + 2, v >> 16);
}

// Bytes of one value of a TIFF field type; 0 for types TIFF 6.0 does not define.
std::uint32_t typeBytes(std::uint16_t type) {
    switch (type) {
    case 1: case 2: case 6: case 7: return 1;    // BYTE, ASCII, SBYTE, UNDEFINED
    case 3: case 8: return 2;                    // SHORT, SSHORT
    case 4: case 9: case 11: case 13: return 4;  // LONG, SLONG, FLOAT, IFD
    case 5: case 10: case 12: return 8;          // RATIONAL, SRATIONAL, DOUBLE
    default: return 0;
    }
}

// The file as the writer made it: header, image data from offset 8 up to the
// directory at ifdOffset, the directory (ifdLength bytes), its values to the end.
struct WriterLayout {
    unsigned char header[kHeaderBytes];
    std::uint32_t ifdOffset = 0;
    std::uint32_t ifdLength = 0;
    std::vector<unsigned char> tail;   // directory and values

    std::uint32_t valuesLength() const { return static_cast<std::uint32_t>(tail.size()) - ifdLength; }
    std::uint64_t fileSize() const { return std::uint64_t{ifdOffset} + tail.size(); }
};

bool readAt(std::FILE* in, std::uint64_t offset, unsigned char* buffer, std::size_t bytes) {
    return fseeko(in, static_cast<off_t>(offset), SEEK_SET) == 0 && std::fread(buffer, 1, bytes, in) == bytes;
}

// Reads and checks header and directory; null or the reason the file cannot be rewritten.
const char* readLayout(std::FILE* in, WriterLayout& layout) {
    if (fseeko(in, 0, SEEK_END) != 0) return "cannot seek";
    const off_t size = ftello(in);
    if (size < off_t{kHeaderBytes} || static_cast<std::uint64_t>(size) > 0xFFFFFFFFu) return "not a TIFF file";
    if (!readAt(in, 0, layout.header, kHeaderBytes)) return "cannot read the header";
    if (layout.header[0] != 'I' || layout.header[1] != 'I' || get16(layout.header + 2) != 42)
        return "not a little-endian TIFF file";
    layout.ifdOffset = get32(layout.header + 4);
    if (layout.ifdOffset < kHeaderBytes || layout.ifdOffset >= static_cast<std::uint64_t>(size))
        return "directory offset outside the file";
    const std::uint64_t tailBytes = static_cast<std::uint64_t>(size) - layout.ifdOffset;
    if (tailBytes > kMaxDirectoryBlockBytes) return "directory block too large";
    layout.tail.resize(tailBytes);
    if (!readAt(in, layout.ifdOffset, layout.tail.data(), layout.tail.size())) return "cannot read the directory";
    if (layout.tail.size() < 2) return "directory runs past the end of the file";
    const auto entries = static_cast<std::int16_t>(get16(layout.tail.data()));
    if (entries < 0) return "negative directory entry count";
    layout.ifdLength = kEntryBytes * static_cast<std::uint32_t>(entries) + 6;
    if (layout.ifdLength > layout.tail.size()) return "directory runs past the end of the file";
    if (get32(layout.tail.data() + layout.ifdLength - 4) != 0) return "more than one directory";
    return nullptr;
}

// Adds shift to every strip offset; each must point into the image data.
const char* shiftStripOffsets(unsigned char* values, std::uint16_t type, std::uint32_t count,
                              std::uint32_t dataEnd, std::uint32_t shift) {
    if (type != 3 && type != 4) return "strip offsets of an unexpected type";
    const std::uint32_t step = typeBytes(type);
    for (std::uint32_t k = 0; k < count; ++k, values += step) {
        const std::uint32_t offset = type == 3 ? get16(values) : get32(values);
        if (offset < kHeaderBytes || offset > dataEnd) return "strip offset outside the image data";
        const std::uint64_t moved = std::uint64_t{offset} + shift;
        if (type == 3 && moved > 0xFFFF) return "strip offset does not fit its type";
        type == 3 ? put16(values, static_cast<std::uint32_t>(moved)) : put32(values, static_cast<std::uint32_t>(moved));
    }
    return nullptr;
}

// True when the image is one strip that starts right after a room of exactly
// the directory block's size (TiffBandSink leaves it): nothing points into
// that room, and header, values and directory fill it as they are.
bool hasRoomInFront(const WriterLayout& layout) {
    const std::uint32_t entries = get16(layout.tail.data());
    for (std::uint32_t i = 0; i < entries; ++i) {
        const unsigned char* entry = layout.tail.data() + 2 + kEntryBytes * i;
        if (get16(entry) != kTagStripOffsets) continue;
        const std::uint16_t type = get16(entry + 2);
        const std::uint32_t offset = type == 3 ? get16(entry + 8) : type == 4 ? get32(entry + 8) : 0;
        return get32(entry + 4) == 1 && offset == kHeaderBytes + layout.tail.size();
    }
    return false;
}

// Points every out-of-line value at its new place right after the header, and
// the strips at their data's new place after the directory (dataShift bytes on).
const char* relocateEntries(WriterLayout& layout, std::uint32_t dataShift) {
    const std::uint64_t valuesStart = std::uint64_t{layout.ifdOffset} + layout.ifdLength;
    const std::uint32_t entries = get16(layout.tail.data());
    for (std::uint32_t i = 0; i < entries; ++i) {
        unsigned char* entry = layout.tail.data() + 2 + kEntryBytes * i;
        const std::uint16_t tag = get16(entry);
        const std::uint16_t type = get16(entry + 2);
        const std::uint32_t count = get32(entry + 4);
        const std::uint64_t bytes = std::uint64_t{count} * typeBytes(type);
        if (typeBytes(type) == 0) return "unknown value type";
        unsigned char* values = entry + 8;   // values of at most 4 bytes sit in the entry
        if (bytes > 4) {
            const std::uint32_t offset = get32(entry + 8);
            if (offset < valuesStart || offset + bytes > layout.fileSize()) return "value outside the directory's values";
            put32(entry + 8, static_cast<std::uint32_t>(offset - valuesStart + kHeaderBytes));
            values = layout.tail.data() + (offset - layout.ifdOffset);
        }
        if (tag == kTagStripOffsets) {
            if (const char* failure = shiftStripOffsets(values, type, count, layout.ifdOffset, dataShift)) return failure;
        }
    }
    return nullptr;
}

bool writeAll(std::FILE* out, const unsigned char* bytes, std::size_t count) {
    return std::fwrite(bytes, 1, count, out) == count;
}

// Writes header, values and directory at the position of out.
bool writeFront(std::FILE* out, WriterLayout& layout) {
    put32(layout.header + 4, kHeaderBytes + layout.valuesLength());
    return writeAll(out, layout.header, kHeaderBytes) &&
           writeAll(out, layout.tail.data() + layout.ifdLength, layout.valuesLength()) &&
           writeAll(out, layout.tail.data(), layout.ifdLength);
}

// Writes header, values and directory, then copies the image data behind them.
const char* writeMoved(std::FILE* in, std::FILE* out, WriterLayout& layout) {
    if (!writeFront(out, layout)) return "cannot write the temporary file";
    std::uint64_t remaining = layout.ifdOffset - kHeaderBytes;
    std::vector<unsigned char> chunk(static_cast<std::size_t>(std::min<std::uint64_t>(remaining, kCopyChunkBytes)));
    if (fseeko(in, kHeaderBytes, SEEK_SET) != 0) return "cannot seek";
    while (remaining > 0) {
        const auto bytes = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, chunk.size()));
        if (std::fread(chunk.data(), 1, bytes, in) != bytes) return "cannot read the image data";
        if (!writeAll(out, chunk.data(), bytes)) return "cannot write the temporary file";
        remaining -= bytes;
    }
    return nullptr;
}

// The directory block goes into the room in front of the data, which stays
// where it is; the old directory at the end is cut off. Unlike the copy
// through a temporary file this is not all-or-nothing, but a failure fails
// the job anyway, and a page's data is never copied.
const char* moveInPlace(const char* path, WriterLayout& layout) {
    NotifyFileWrite(path);
    std::FILE* file = std::fopen(path, "r+b");
    if (!file) return "cannot open the file for writing";
    const bool written = writeFront(file, layout) && std::fflush(file) == 0 &&
                         ftruncate(fileno(file), static_cast<off_t>(layout.ifdOffset)) == 0;
    return std::fclose(file) == 0 && written ? nullptr : "cannot write the directory in front";
}

// Copies the file through "temp_<name>"; *opened is false (and nothing done) when that cannot be opened.
const char* moveByCopy(const char* path, std::FILE* in, WriterLayout& layout, const std::string& temporary,
                       bool* opened) {
    NotifyFileWrite(temporary.c_str());
    std::FILE* out = std::fopen(temporary.c_str(), "wb");
    *opened = out != nullptr;
    if (!out) return nullptr;
    const char* failure = writeMoved(in, out, layout);
    if (std::fclose(out) != 0 && !failure) failure = "cannot complete the temporary file";
    // rename replaces the original in one step, so it is never lost half-way.
    if (!failure && std::rename(temporary.c_str(), path) != 0) failure = "cannot replace the file";
    if (failure) std::remove(temporary.c_str());
    return failure;
}

// "temp_" + the file's name, in the file's folder.
std::string temporaryPath(const std::string& path) {
    std::size_t nameStart = path.size();
    while (nameStart > 0 && !AFilePath::isSeparator(path[nameStart - 1])) --nameStart;
    return path.substr(0, nameStart) + "temp_" + path.substr(nameStart);
}
}  // namespace

int MoveTiffDirectoryToFront(const char* path) {
    if (!path || !*path) return 0;
    std::FILE* in = std::fopen(path, "rb");
    if (!in) return 0;
    const char* failure = nullptr;
    bool opened = true;
    try {
        WriterLayout layout;
        failure = readLayout(in, layout);
        const bool inPlace = !failure && hasRoomInFront(layout);
        if (!failure) failure = relocateEntries(layout, inPlace ? 0 : static_cast<std::uint32_t>(layout.tail.size()));
        if (!failure) failure = inPlace ? moveInPlace(path, layout) : moveByCopy(path, in, layout, temporaryPath(path), &opened);
    } catch (const std::bad_alloc&) {
        failure = "out of memory";
    }
    std::fclose(in);
    if (!opened) return 0;
    if (failure) {
        RV_LOG(kLogSource)("%s: %s", path, failure);
        DrvMessageBox("Cannot convert TIF file");
        // Answered as a failure, unlike a plain "shown and done": the caller
        // must not report a job whole whose separation could not be rewritten
        // (a full disk, say).
        return 0;
    }
    return 1;
}
