#pragma once
// A binary file of the host's utility library (no exceptions: results only).
#include "AString.h"

#include <cstdint>
#include <cstdio>

class AFile {
public:
    enum OpenFlags : unsigned {
        modeRead = 0x0000, modeWrite = 0x0001, modeReadWrite = 0x0002,
        modeCreate = 0x1000,      // create, truncating an existing file
        modeNoTruncate = 0x2000,  // with modeCreate: keep existing content
        typeBinary = 0x8000,
    };

    AFile() = default;
    ~AFile() { Close(); }
    AFile(const AFile&) = delete;
    AFile& operator=(const AFile&) = delete;

    int Open(const char* path, unsigned flags, void* exception = nullptr);  // non-zero on success
    unsigned Read(void* buffer, unsigned count);        // bytes read; 0 at end or when closed
    bool Write(const void* buffer, unsigned count);     // false when not every byte was written
    int64_t GetLength() const;                          // -1 when closed
    bool Flush();
    bool Close();                                       // false when closing lost data
    bool IsOpen() const { return f_ != nullptr; }

    static int DeleteFile(const char* path, int flag = 0);  // non-zero when the file was removed
    static int RecursiveDelete(const char* folder);         // non-zero when the folder is gone

private:
    std::FILE* f_ = nullptr;
};

// Copies a file, replacing the destination; non-zero on success. A partly
// written copy is removed.
int RVCopyFile(const char* from, const char* to);

// Test seam: when set, called with the path of every output file just before
// it is created or rewritten, so that a test can make the writes that follow
// fail the way a full disk does. Null (the default) calls nothing.
using FileWriteHook = void (*)(const char* path);
void SetFileWriteHook(FileWriteHook hook);
// Calls the hook, if any, for path; writers call this before creating a file.
void NotifyFileWrite(const char* path);
