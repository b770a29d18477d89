#include "AFM_File.h"

#include "AString.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
bool toWhence(int origin, int& whence) {
    switch (origin) {
    case AFM_File::kBegin: whence = SEEK_SET; return true;
    case AFM_File::kCurrent: whence = SEEK_CUR; return true;
    case AFM_File::kEnd: whence = SEEK_END; return true;
    default: return false;
    }
}

bool toOpenFlags(int mode, int& flags) {
    switch (mode) {
    case AFM_File::kRead: flags = O_RDONLY; return true;
    case AFM_File::kWrite: flags = O_WRONLY; return true;
    case AFM_File::kReadWrite: flags = O_RDWR; return true;
    default: return false;
    }
}

// Copies count bytes of text into out (size bytes), cut and terminated.
void copyPart(char* out, int size, const char* text, size_t count) {
    if (!out || size <= 0) return;
    count = std::min(count, static_cast<size_t>(size - 1));
    std::memcpy(out, text, count);
    out[count] = '\0';
}

// Repeats a read or write (transfer(bytes, n)) until count bytes have moved,
// the end of the file or an error, since either may move fewer bytes than
// asked; the number of bytes moved.
template <typename Byte, typename Transfer>
uint32_t transferAll(Byte* bytes, uint32_t count, Transfer transfer) {
    uint32_t done = 0;
    while (done < count) {
        const ssize_t n = transfer(bytes + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<uint32_t>(n);
    }
    return done;
}
}  // namespace

AFM_File::~AFM_File() { Close(); }

bool AFM_File::Open(const char* newPath, int mode) {
    Close();
    int flags = 0;
    if (!newPath || !toOpenFlags(mode, flags)) return false;
    const int fd = ::open(newPath, flags | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    handle = fd;
    ZuCopyField(path, sizeof path, newPath);
    return true;
}

int AFM_File::GetPath(char* out, int size) const {
    if (!IsOpen()) return 0;
    copyPart(out, size, path, std::strlen(path));
    return 1;
}

int AFM_File::lastSeparator() const {
    const char* slash = std::strrchr(path, '/');
    const char* backslash = std::strrchr(path, '\\');
    const char* last = std::max(slash, backslash);
    return last ? static_cast<int>(last - path) : -1;
}

int AFM_File::GetFolder(char* out, int size) const {
    if (!IsOpen()) return 0;
    copyPart(out, size, path, static_cast<size_t>(std::max(lastSeparator(), 0)));
    return 1;
}

int AFM_File::GetFileName(char* out, int size) const {
    if (!IsOpen()) return 0;
    const char* name = path + lastSeparator() + 1;
    copyPart(out, std::min(size, kNameSize), name, std::strlen(name));
    return 1;
}

int AFM_File::Seek(int64_t offset, int origin) {
    int whence = 0;
    if (!IsOpen() || !toWhence(origin, whence)) return 0;
    return ::lseek(handle, static_cast<off_t>(offset), whence) >= 0 ? 1 : 0;
}

int64_t AFM_File::Tell() const {
    if (!IsOpen()) return -1;
    return static_cast<int64_t>(::lseek(handle, 0, SEEK_CUR));
}

uint32_t AFM_File::Read(void* buffer, uint32_t count, int64_t offset, int origin) {
    if (!IsOpen() || !buffer) return 0;
    if (!(origin == kCurrent && offset == 0) && !Seek(offset, origin)) return 0;
    return transferAll(static_cast<char*>(buffer), count,
                       [this](char* at, uint32_t n) { return ::read(handle, at, n); });
}

uint32_t AFM_File::Write(const void* buffer, uint32_t count, int64_t offset, int origin) {
    if (!IsOpen() || !buffer) return 0;
    if (!(origin == kCurrent && offset == 0) && !Seek(offset, origin)) return 0;
    return transferAll(static_cast<const char*>(buffer), count,
                       [this](const char* at, uint32_t n) { return ::write(handle, at, n); });
}

void AFM_File::Close() {
    if (!IsOpen()) return;
    ::close(handle);
    handle = kInvalidHandle;
}

int AFM_File::Delete() {
    if (!IsOpen()) return 0;
    Close();
    return ::unlink(path) == 0 ? 1 : 0;
}

int AFM_File::Truncate() {
    const int64_t position = Tell();
    if (position < 0) return 0;
    return ::ftruncate(handle, static_cast<off_t>(position)) == 0 ? 1 : 0;
}
