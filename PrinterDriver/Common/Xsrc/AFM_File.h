#pragma once
// A thin wrapper over a system file handle, used to read the host's job file
// header. Paths are local ('/' separated). The folder and file-name queries
// split at the last separator, where both '/' and '\\' count as one: the
// host hands Windows-style paths through, the Linux file system uses '/'.
#include <cstdint>

class AFM_File {
public:
    enum Mode { kRead = 0, kWrite = 1, kReadWrite = 2 };
    enum Origin { kBegin = 0, kCurrent = 1, kEnd = 2 };
    static constexpr int kPathSize = 512;
    static constexpr int kNameSize = 256;
    static constexpr int kInvalidHandle = -1;

    AFM_File() = default;
    virtual ~AFM_File();                            // closes the handle if open
    AFM_File(const AFM_File&) = delete;
    AFM_File& operator=(const AFM_File&) = delete;

    // Opens path (created when missing) for mode 0 read, 1 write, 2 both; any
    // other mode or a failed open answers false and leaves the file closed.
    virtual bool Open(const char* path, int mode);
    // Copies the stored path into out (at most size - 1 characters); 0 when closed.
    virtual int GetPath(char* out, int size) const;
    // Copies the path before its last separator (empty when there is none); 0 when closed.
    virtual int GetFolder(char* out, int size) const;
    virtual int GetHandle() const { return handle; }
    // Copies the part after the last separator (at most 255 characters); 0 when closed.
    virtual int GetFileName(char* out, int size) const;
    // Moves the position (origin 0 begin, 1 current, 2 end); 1 on success, 0 otherwise.
    virtual int Seek(int64_t offset, int origin);
    // The current position, or -1 when closed or on failure.
    virtual int64_t Tell() const;
    // Reads up to count bytes at offset/origin (no seek for origin 1, offset 0); bytes read, 0 on failure.
    virtual uint32_t Read(void* buffer, uint32_t count, int64_t offset, int origin);
    // Writes count bytes at offset/origin like Read; bytes written, 0 on failure.
    virtual uint32_t Write(const void* buffer, uint32_t count, int64_t offset, int origin);
    virtual void Close();
    // Closes and deletes the file at the stored path; 1 when deleted, 0 when closed or on failure.
    virtual int Delete();
    // Ends the file at the current position; 1 on success.
    virtual int Truncate();

    bool IsOpen() const { return handle != kInvalidHandle; }

private:
    // Position of the last separator of the stored path, or -1.
    int lastSeparator() const;

    int handle = kInvalidHandle;
    char path[kPathSize] = {};
};
