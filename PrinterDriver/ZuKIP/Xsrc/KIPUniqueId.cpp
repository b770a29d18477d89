#include "KIPUniqueId.h"

#include "RVLog.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

namespace {
const char* const kLogSource = "PrinterDriver\\ZuKIP\\Xsrc\\KIPUniqueId";
const char* const kToken = "uniqID";
// Bounds the search for a free name; every try rewrites the counter file.
constexpr int kMaxDraws = 10000;
constexpr int kMaxWidth = 64;

std::filesystem::path counterPath() {
    return std::filesystem::path(AFilePath::baseFolder().str()) / "Temp" / "KIPUniqIDCounter";
}

// The stored value; a missing, unreadable or short file counts as 0.
uint32_t readCounter(const std::filesystem::path& path) {
    unsigned char bytes[4] = {};
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return 0;
    const size_t n = std::fread(bytes, 1, sizeof bytes, f);
    std::fclose(f);
    if (n != sizeof bytes) return 0;
    return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24;
}

// Creates a fresh temporary file next to path; null when none can be made.
std::FILE* createTempNextTo(const std::filesystem::path& path, std::filesystem::path& tempPath) {
    std::random_device entropy;
    for (int attempt = 0; attempt < 16; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(entropy()));
        tempPath = path;
        tempPath += suffix;
        // "x": never reuse a file that another writer has just made.
        if (std::FILE* f = std::fopen(tempPath.c_str(), "wbx")) return f;
        if (errno != EEXIST) return nullptr;
    }
    return nullptr;
}

// Replaces the counter file as a whole: a crash leaves either the old or the
// new value, never a torn one. A file that cannot be written is ignored.
void writeCounter(const std::filesystem::path& path, uint32_t value) {
    const unsigned char bytes[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                                    static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
    std::filesystem::path tempPath;
    std::FILE* f = createTempNextTo(path, tempPath);
    if (!f) return;
    const bool written = std::fwrite(bytes, 1, sizeof bytes, f) == sizeof bytes;
    const bool closed = std::fclose(f) == 0;
    std::error_code ec;
    if (written && closed) std::filesystem::rename(tempPath, path, ec);
    if (!written || !closed || ec) std::filesystem::remove(tempPath, ec);
}

bool isFlag(char c) { return c == '-' || c == '+' || c == ' ' || c == '#' || c == '0'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLength(char c) { return c == 'h' || c == 'l' || c == 'L' || c == 'q' || c == 'j' || c == 'z' || c == 't'; }
bool isInteger(char c) { return c == 'd' || c == 'i' || c == 'u' || c == 'x' || c == 'X' || c == 'o'; }

// Reads a run of digits at text[i], capped; advances i past all of them.
int readNumber(const char* text, size_t& i) {
    int n = 0;
    for (; isDigit(text[i]); ++i) n = n < kMaxWidth ? n * 10 + (text[i] - '0') : n;
    return n < kMaxWidth ? n : kMaxWidth;
}

// Formats one conversion that starts at text[start] == '%' and appends it to
// out; returns the position after it.
size_t formatConversion(const char* text, size_t start, int32_t value, std::string& out) {
    size_t i = start + 1;
    std::string directive = "%";
    while (isFlag(text[i])) directive += text[i++];
    if (isDigit(text[i])) directive += std::to_string(readNumber(text, i));
    if (text[i] == '.') {
        ++i;
        directive += '.';
        directive += std::to_string(readNumber(text, i));
    }
    while (isLength(text[i])) ++i;   // the value is always printed in full
    const char conversion = text[i];
    if (!isInteger(conversion)) {
        // Not ours to interpret ("%s", "%n", "%*d", a lone "%"): keep the text.
        const size_t end = conversion ? i + 1 : i;
        out.append(text + start, end - start);
        return end;
    }
    directive += "ll";
    directive += conversion;
    char buffer[2 * kMaxWidth + 32];
    const long long number = value;
    if (conversion == 'd' || conversion == 'i')
        std::snprintf(buffer, sizeof buffer, directive.c_str(), number);
    else
        std::snprintf(buffer, sizeof buffer, directive.c_str(), static_cast<unsigned long long>(number));
    out += buffer;
    return i + 1;
}
}  // namespace

AString KIPUniqueId::FormatCounter(const AString& pattern, int32_t value) {
    const char* text = pattern.c_str();
    std::string out;
    out.reserve(static_cast<size_t>(pattern.GetLength()) + 16);
    for (size_t i = 0; text[i];) {
        if (text[i] != '%') {
            out += text[i++];
        } else if (text[i + 1] == '%') {
            out += '%';
            i += 2;
        } else {
            i = formatConversion(text, i, value, out);
        }
    }
    return AString(std::move(out));
}

int32_t KIPUniqueId::drawNumber() {
    const std::filesystem::path path = counterPath();
    uint32_t next = readCounter(path) + 1;
    // Names carry positive numbers only; -1 also means "not drawn yet".
    if (next == 0 || next > 0x7FFFFFFFu) next = 1;
    writeCounter(path, next);
    return static_cast<int32_t>(next);
}

AString KIPUniqueId::SubstituteUniqueId(const AFilePath& folder, const KIPTemplateText& name, const AString& format) {
    AString before, after;
    if (!name.SplitAt(kToken, before, after)) return name.Text();
    // Only the model's format is taken as a format. The rest of the name,
    // the document's own text above all, stays as it stands: a "%d" or "%x"
    // in a document name is not the job number.
    const AString numberFormat = format.IsEmpty() ? AString("%d") : format;
    const auto compose = [&](int32_t number) { return before + FormatCounter(numberFormat, number) + after; };
    if (uniqueCounter != -1) return compose(uniqueCounter);

    AString result;
    for (int draw = 0; draw < kMaxDraws; ++draw) {
        uniqueCounter = drawNumber();
        const AString previous = result;
        result = compose(uniqueCounter);
        AFilePath candidate(folder);
        candidate += result;
        if (!candidate.exists()) return result;
        // A format without a number gives the same name whatever is drawn.
        if (draw > 0 && result == previous) break;
    }
    RV_LOG(kLogSource)("No free unique name for %s in %s", result.c_str(), folder.c_str());
    return result;
}
