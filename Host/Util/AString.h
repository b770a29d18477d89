#pragma once
// Single-byte text of the host's utility library: a thin value type over
// std::string with the operations the driver code relies on.
#include <cstdarg>
#include <string>
#include <string_view>

class AFilePath;

class AString {
public:
    AString() = default;
    AString(const char* text) : s_(text ? text : "") {}          // NOLINT: implicit like the host's
    AString(const char* text, int length);                         // at most `length` bytes of text
    AString(std::string text) : s_(std::move(text)) {}           // NOLINT
    AString(std::string_view text) : s_(text) {}                 // NOLINT

    AString& operator=(const char* text) { s_ = text ? text : ""; return *this; }
    AString& operator+=(const char* text) { if (text) s_ += text; return *this; }
    AString& operator+=(const AString& other) { s_ += other.s_; return *this; }
    AString& operator+=(char c) { s_ += c; return *this; }
    AString& operator+=(const AFilePath& path);

    friend AString operator+(const AString& a, const AString& b) { return AString(a.s_ + b.s_); }
    friend AString operator+(const AString& a, const char* b) { AString r(a); r += b; return r; }
    friend AString operator+(const char* a, const AString& b) { AString r(a); r += b; return r; }
    friend bool operator==(const AString& a, const AString& b) { return a.s_ == b.s_; }
    friend bool operator==(const AString& a, const char* b) { return a.s_ == (b ? b : ""); }
    friend auto operator<=>(const AString& a, const AString& b) { return a.s_ <=> b.s_; }

    // Replaces the content with printf-style formatted text.
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void FormatV(const char* format, va_list args);

    int Find(char c, int start = 0) const;                 // 0-based position or -1
    int Find(const char* text, int start = 0) const;       // 0-based position or -1
    int ReverseFind(char c) const;                         // last position or -1
    AString Left(int count) const;                         // count clamped to [0, length]
    AString Right(int count) const;
    AString Mid(int first, int count = -1) const;          // count -1: to the end
    void SetAt(int index, char c);                         // ignored outside the text
    char GetAt(int index) const;                           // 0 outside the text
    char* GetBuffer() { return s_.data(); }
    void Empty() { s_.clear(); }
    bool IsEmpty() const { return s_.empty(); }
    int GetLength() const { return static_cast<int>(s_.size()); }
    void MakeLower();
    int CompareNoCase(const char* other) const;            // <0, 0, >0 like strcasecmp

    const char* c_str() const { return s_.c_str(); }
    operator const char*() const { return s_.c_str(); }   // NOLINT: the host's AString converts too
    const std::string& str() const { return s_; }

private:
    std::string s_;
};

// Copies text into a fixed field of `size` bytes, always terminated.
void ZuCopyField(char* field, size_t size, const char* text);
