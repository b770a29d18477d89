#pragma once
// A small file that several processes read and rewrite in turn (the job
// counter): opening it waits for an exclusive advisory lock on it, held
// until the object is destroyed, so that a read, the work that depends on it
// and the rewrite happen as one step for every process that uses this class.
#include <cstddef>

class LockedFile {
public:
    // Opens the file at path for reading and writing, creating it when
    // missing, and waits for its lock; IsOpen() tells whether that worked.
    explicit LockedFile(const char* path);
    ~LockedFile();   // releases the lock and closes the file
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    // Reads up to size bytes from the start of the file; the number read, or -1.
    long Read(void* buffer, std::size_t size);
    // Replaces the whole content by size bytes; false when that failed.
    bool Write(const void* data, std::size_t size);

private:
    int fd_ = -1;
};
