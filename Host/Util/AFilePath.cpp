#include "AFilePath.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

AString AFilePath::baseFolder() {
    const char* env = std::getenv("ZUKIP_BASE_DIR");
    if (env && *env) return AString(env);
    std::error_code ec;
    return AString(fs::current_path(ec).string());
}

AFilePath::AFilePath() : path_(baseFolder()) {}

AFilePath& AFilePath::operator+=(const char* component) {
    if (!component || !*component) return *this;
    if (!path_.IsEmpty() && !isSeparator(path_.GetAt(path_.GetLength() - 1))) path_ += '/';
    path_ += component;
    return *this;
}

AFilePath AFilePath::operator--(int) {
    AFilePath before(*this);
    int end = path_.GetLength();
    while (end > 1 && isSeparator(path_.GetAt(end - 1))) --end;   // ignore trailing separators
    int cut = end - 1;
    while (cut >= 0 && !isSeparator(path_.GetAt(cut))) --cut;
    path_ = cut < 0 ? AString() : path_.Left(cut == 0 ? 1 : cut);
    return before;
}

bool AFilePath::exists() const {
    std::error_code ec;
    return !path_.IsEmpty() && fs::exists(fs::path(path_.str()), ec);
}

bool AFilePath::isDirectory() const {
    std::error_code ec;
    return !path_.IsEmpty() && fs::is_directory(fs::path(path_.str()), ec);
}

AString AFilePath::getFileName() const {
    int end = path_.GetLength();
    while (end > 0 && isSeparator(path_.GetAt(end - 1))) --end;
    int start = end - 1;
    while (start >= 0 && !isSeparator(path_.GetAt(start))) --start;
    return path_.Mid(start + 1, end - start - 1);
}
