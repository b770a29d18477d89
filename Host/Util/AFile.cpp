#include "AFile.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {
FileWriteHook g_writeHook = nullptr;
}  // namespace

void SetFileWriteHook(FileWriteHook hook) { g_writeHook = hook; }

void NotifyFileWrite(const char* path) {
    if (g_writeHook && path) g_writeHook(path);
}

int AFile::Open(const char* path, unsigned flags, void*) {
    Close();
    if (!path || !*path) return 0;
    const unsigned access = flags & 0x3u;
    const char* mode = "rb";
    if (access == modeWrite) mode = (flags & modeNoTruncate) ? "ab" : "wb";
    if (access == modeReadWrite) {
        mode = "r+b";
        if ((flags & modeCreate) && !(flags & modeNoTruncate)) mode = "w+b";
        else if ((flags & modeCreate)) {
            std::error_code ec;
            if (!fs::exists(path, ec)) mode = "w+b";
        }
    }
    if (access != modeRead) NotifyFileWrite(path);
    f_ = std::fopen(path, mode);
    return f_ != nullptr;
}

unsigned AFile::Read(void* buffer, unsigned count) {
    if (!f_ || !buffer) return 0;
    return static_cast<unsigned>(std::fread(buffer, 1, count, f_));
}

bool AFile::Write(const void* buffer, unsigned count) {
    if (!f_) return false;
    return count == 0 || std::fwrite(buffer, 1, count, f_) == count;
}

int64_t AFile::GetLength() const {
    if (!f_) return -1;
    const long pos = std::ftell(f_);
    if (pos < 0 || std::fseek(f_, 0, SEEK_END) != 0) return -1;
    const long end = std::ftell(f_);
    std::fseek(f_, pos, SEEK_SET);
    return end;
}

bool AFile::Flush() { return f_ && std::fflush(f_) == 0; }

bool AFile::Close() {
    if (!f_) return true;
    const bool ok = std::fclose(f_) == 0;
    f_ = nullptr;
    return ok;
}

int AFile::DeleteFile(const char* path, int) {
    std::error_code ec;
    return path && fs::remove(path, ec) && !ec;
}

int AFile::RecursiveDelete(const char* folder) {
    std::error_code ec;
    if (!folder || !*folder) return 0;
    fs::remove_all(folder, ec);
    return !ec && !fs::exists(folder, ec);
}

int RVCopyFile(const char* from, const char* to) {
    std::error_code ec;
    if (!from || !to) return 0;
    NotifyFileWrite(to);
    if (fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec) && !ec) return 1;
    // A copy cut short must not pass for the whole file; only a plain file
    // that the copy made is ours to remove.
    if (fs::exists(from, ec) && fs::is_regular_file(to, ec) && !fs::equivalent(from, to, ec)) fs::remove(to, ec);
    return 0;
}
