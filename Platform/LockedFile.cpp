// A file under an exclusive advisory lock (flock) for the life of the object.
#include "LockedFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

LockedFile::LockedFile(const char* path) {
    if (!path || !*path) return;
    fd_ = ::open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0) return;
    int locked;
    do locked = ::flock(fd_, LOCK_EX);
    while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

LockedFile::~LockedFile() {
    // Closing the last descriptor of the open file releases its lock.
    if (fd_ >= 0) ::close(fd_);
}

long LockedFile::Read(void* buffer, std::size_t size) {
    if (fd_ < 0) return -1;
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd_, static_cast<char*>(buffer) + done, size - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<long>(done);
}

bool LockedFile::Write(const void* data, std::size_t size) {
    if (fd_ < 0) return false;
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(fd_, static_cast<const char*>(data) + done, size - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return ::ftruncate(fd_, static_cast<off_t>(size)) == 0;
}
