#pragma once
// Read access to a raster job file: positioned reads, and the unpacking of
// single lines through a small per-plane cache of line index blocks. Short
// lines, and lines that the plane's next line follows in the file, are read
// many at a time (a read call would cost more than the line itself), so a
// file cut short after it was opened fails at the first line not yet read,
// which may come some lines after the cut. All buffers are allocated by
// PrepareLines, so reading a line allocates nothing.
#include "ZURasterDirectory.h"
#include "ZURasterFormat.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

class ZURasterFile {
public:
    ZURasterFile() = default;
    ~ZURasterFile() { Close(); }
    ZURasterFile(const ZURasterFile&) = delete;
    ZURasterFile& operator=(const ZURasterFile&) = delete;

    bool Open(const char* path);                                // false if the file cannot be opened
    void Close();                                               // also drops the line buffers
    bool IsOpen() const { return fd_ >= 0; }
    uint64_t Size() const;                                      // 0 when closed or unknown
    bool ReadAt(uint64_t offset, void* buffer, size_t size);    // false unless all `size` bytes were read
    void PrepareLines(size_t maxPackedSize);                    // sizes the buffers for lines up to that stored size
    bool IsPrepared() const { return IsOpen() && !blocks_.empty(); }
    // Unpacks line `line` of plane `plane` of `image` into exactly `lineBytes` bytes of `out`;
    // false if the data is not prepared, its entry points outside the image's data, or its
    // bytes are short, fail their CRC or do not unpack to exactly one line.
    bool ReadLine(const ZURasterImageInfo& image, int plane, int line,
                  uint8_t* out, size_t lineBytes);

private:
    static constexpr uint32_t kBlockLines = 256;
    struct IndexBlock {
        const ZURasterImageInfo* image = nullptr;
        uint32_t first = 0;
        uint32_t count = 0;
        std::array<uint8_t, kBlockLines * ZURasterFormat::kIndexEntrySize> bytes{};
    };
    static constexpr size_t kShortLine = 1024;     // stored lines up to this size always go through the read-ahead
    static constexpr size_t kReadAhead = 256 * 1024;
    bool Entry(const ZURasterImageInfo& image, int plane, int line, ZURasterFormat::LineEntry& entry);
    // Whether the stored bytes of the plane's next line start where those of `entry`, its line `line`, end.
    bool NextFollows(int plane, int line, const ZURasterFormat::LineEntry& entry) const;
    // The stored bytes of a checked entry of image; null when they cannot be read. `ahead`: through the
    // read-ahead buffer.
    const uint8_t* Packed(const ZURasterImageInfo& image, const ZURasterFormat::LineEntry& entry, bool ahead);

    int fd_ = -1;
    std::vector<uint8_t> packed_;
    std::vector<uint8_t> ahead_;       // file bytes from aheadOffset_ on, aheadSize_ of them
    uint64_t aheadOffset_ = 0;
    size_t aheadSize_ = 0;
    std::vector<IndexBlock> blocks_;   // one per plane number: each plane keeps its own block
};
