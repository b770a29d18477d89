#include "ZURasterFile.h"

#include "ZUPackBits.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace ZURasterFormat;

bool ZURasterFile::Open(const char* path) {
    Close();
    if (!path) return false;
    fd_ = ::open(path, O_RDONLY | O_CLOEXEC);
    return fd_ >= 0;
}

void ZURasterFile::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    packed_ = {};
    ahead_ = {};
    aheadSize_ = 0;
    blocks_ = {};
}

uint64_t ZURasterFile::Size() const {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) return 0;
    return static_cast<uint64_t>(st.st_size);
}

bool ZURasterFile::ReadAt(uint64_t offset, void* buffer, size_t size) {
    if (fd_ < 0) return false;
    auto* p = static_cast<uint8_t*>(buffer);
    while (size > 0) {
        const ssize_t n = ::pread(fd_, p, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= size_t(n);
        offset += uint64_t(n);
    }
    return true;
}

void ZURasterFile::PrepareLines(size_t maxPackedSize) {
    packed_.assign(maxPackedSize, 0);
    ahead_.assign(kReadAhead, 0);
    aheadSize_ = 0;
    blocks_.assign(kMaxPlanes, IndexBlock{});
}

bool ZURasterFile::Entry(const ZURasterImageInfo& image, int plane, int line, LineEntry& entry) {
    IndexBlock& block = blocks_[size_t(plane)];
    const uint32_t l = uint32_t(line);
    if (block.image != &image || l < block.first || l >= block.first + block.count) {
        const uint32_t first = l - l % kBlockLines;
        const uint32_t count = std::min<uint32_t>(kBlockLines, uint32_t(image.height) - first);
        const uint64_t at = image.indexOffset + (uint64_t(plane) * uint64_t(image.height) + first) * kIndexEntrySize;
        block.image = nullptr;
        if (!ReadAt(at, block.bytes.data(), count * kIndexEntrySize)) return false;
        block.image = &image;
        block.first = first;
        block.count = count;
    }
    entry = GetEntry(block.bytes.data() + (l - block.first) * kIndexEntrySize);
    return true;
}

bool ZURasterFile::ReadLine(const ZURasterImageInfo& image, int plane, int line, uint8_t* out, size_t lineBytes) {
    LineEntry e;
    if (!IsPrepared() || !Entry(image, plane, line, e)) return false;
    if (e.length == 0 || e.length > MaxPackedSize(lineBytes) || e.length > packed_.size() ||
        e.offset < image.dataOffset || e.offset - image.dataOffset > image.dataSize ||
        e.length > image.dataSize - (e.offset - image.dataOffset))
        return false;
    // Lines of a plane that lie together are read many at a time, up to a quarter of the buffer each.
    const bool ahead = e.length <= kShortLine || (e.length <= kReadAhead / 4 && NextFollows(plane, line, e));
    const uint8_t* packed = Packed(image, e, ahead);
    return packed && Crc32(packed, e.length) == e.crc && ZUPackBits::Unpack(packed, e.length, out, lineBytes);
}

bool ZURasterFile::NextFollows(int plane, int line, const LineEntry& e) const {
    const IndexBlock& block = blocks_[size_t(plane)];
    const uint32_t next = uint32_t(line) + 1 - block.first;
    return next < block.count && GetEntry(block.bytes.data() + next * kIndexEntrySize).offset == e.offset + e.length;
}

const uint8_t* ZURasterFile::Packed(const ZURasterImageInfo& image, const LineEntry& e, bool ahead) {
    if (!ahead) return ReadAt(e.offset, packed_.data(), e.length) ? packed_.data() : nullptr;
    if (e.offset < aheadOffset_ || e.offset + e.length > aheadOffset_ + aheadSize_) {
        // The image's data from this line on, as far as the buffer goes: the next lines, of this plane
        // or of others, are usually among them.
        const uint64_t dataEnd = image.dataOffset + image.dataSize;
        aheadSize_ = 0;
        const auto size = static_cast<size_t>(std::min<uint64_t>(ahead_.size(), dataEnd - e.offset));
        if (!ReadAt(e.offset, ahead_.data(), size)) return nullptr;
        aheadOffset_ = e.offset;
        aheadSize_ = size;
    }
    return ahead_.data() + (e.offset - aheadOffset_);
}
