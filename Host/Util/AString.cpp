#include "AString.h"

#include "AFilePath.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <strings.h>

AString::AString(const char* text, int length) {
    if (text && length > 0) s_.assign(text, strnlen(text, static_cast<size_t>(length)));
}

AString& AString::operator+=(const AFilePath& path) { s_ += path.GetFullPath().str(); return *this; }

void AString::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void AString::FormatV(const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n < 0) { s_.clear(); return; }
    std::string out(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(out.data(), out.size(), format, args);
    out.resize(static_cast<size_t>(n));
    s_ = std::move(out);
}

int AString::Find(char c, int start) const {
    if (start < 0 || start > GetLength()) return -1;
    const auto p = s_.find(c, static_cast<size_t>(start));
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

int AString::Find(const char* text, int start) const {
    if (!text || start < 0 || start > GetLength()) return -1;
    const auto p = s_.find(text, static_cast<size_t>(start));
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

int AString::ReverseFind(char c) const {
    const auto p = s_.rfind(c);
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

AString AString::Left(int count) const {
    return AString(s_.substr(0, static_cast<size_t>(std::clamp(count, 0, GetLength()))));
}

AString AString::Right(int count) const {
    const int n = std::clamp(count, 0, GetLength());
    return AString(s_.substr(static_cast<size_t>(GetLength() - n)));
}

AString AString::Mid(int first, int count) const {
    const int start = std::clamp(first, 0, GetLength());
    const int rest = GetLength() - start;
    const int n = count < 0 ? rest : std::min(count, rest);
    return AString(s_.substr(static_cast<size_t>(start), static_cast<size_t>(n)));
}

void AString::SetAt(int index, char c) {
    if (index >= 0 && index < GetLength()) s_[static_cast<size_t>(index)] = c;
}

char AString::GetAt(int index) const {
    return index >= 0 && index < GetLength() ? s_[static_cast<size_t>(index)] : '\0';
}

void AString::MakeLower() {
    for (auto& c : s_) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

int AString::CompareNoCase(const char* other) const { return strcasecmp(s_.c_str(), other ? other : ""); }

void ZuCopyField(char* field, size_t size, const char* text) {
    if (!field || size == 0) return;
    const size_t n = text ? strnlen(text, size - 1) : 0;
    if (n) std::memcpy(field, text, n);
    field[n] = '\0';
}
