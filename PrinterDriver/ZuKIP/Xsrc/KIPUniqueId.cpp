#include "KIPUniqueId.h"

#include "LockedFile.h"
#include "RVLog.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {
const char* const kLogSource = "PrinterDriver\\ZuKIP\\Xsrc\\KIPUniqueId";
const char* const kToken = "uniqID";
// Bounds the search for a free name.
constexpr int kMaxDraws = 10000;
constexpr int kMaxWidth = 64;

// The counter file; "Temp" is made when the base folder lacks it (a
// sample base folder, say), so that the number drawn can be kept.
std::filesystem::path counterPath() {
    const std::filesystem::path temp = std::filesystem::path(AFilePath::baseFolder().str()) / "Temp";
    std::error_code error;
    std::filesystem::create_directories(temp, error);
    if (error) RV_LOG(kLogSource)("Cannot make the folder %s: %s", temp.c_str(), error.message().c_str());
    return temp / "KIPUniqIDCounter";
}

uint32_t decode(const unsigned char bytes[4]) {
    return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24;
}

// The stored value; a missing, unreadable or short file counts as 0.
uint32_t readCounter(LockedFile& counter, const std::filesystem::path& path) {
    unsigned char bytes[4] = {};
    if (counter.IsOpen()) return counter.Read(bytes, sizeof bytes) == sizeof bytes ? decode(bytes) : 0;
    // Not lockable (a read-only file, say): still read, so that numbers do not restart at 1.
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return 0;
    const size_t n = std::fread(bytes, 1, sizeof bytes, f);
    std::fclose(f);
    return n == sizeof bytes ? decode(bytes) : 0;
}

void saveCounter(LockedFile& counter, const std::filesystem::path& path, uint32_t value) {
    const unsigned char bytes[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                                    static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
    if (!counter.Write(bytes, sizeof bytes))
        RV_LOG(kLogSource)("Cannot save the job number %u in %s", static_cast<unsigned>(value), path.c_str());
}

// The number after value: 1 to 2^31 - 1, wrapping (-1 means "not drawn yet").
int32_t nextNumber(uint32_t value) {
    const uint32_t next = value + 1;
    return next == 0 || next > 0x7FFFFFFFu ? 1 : static_cast<int32_t>(next);
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

void (*KIPUniqueId::drawWindowHook)() = nullptr;

KIPUniqueId::Claim KIPUniqueId::claimIfFree(const AFilePath& path) {
    return path.exists() ? Claim::Taken : Claim::Made;
}

AString KIPUniqueId::SubstituteUniqueId(const AFilePath& folder, const KIPTemplateText& name, const AString& format,
                                        const Claimer& claim) {
    const auto claimIn = [&](const AString& candidate) {
        AFilePath path(folder);
        path += candidate;
        return claim ? claim(path) : claimIfFree(path);
    };
    AString before, after;
    if (!name.SplitAt(kToken, before, after)) {
        const AString text = name.Text();
        if (claim) claimIn(text);
        return text;
    }
    // Only the model's format is taken as a format. The rest of the name,
    // the document's own text above all, stays as it stands: a "%d" or "%x"
    // in a document name is not the job number.
    const AString numberFormat = format.IsEmpty() ? AString("%d") : format;
    const auto compose = [&](int32_t number) { return before + FormatCounter(numberFormat, number) + after; };
    if (uniqueCounter != -1) {
        const AString result = compose(uniqueCounter);
        // A name this object's number gives is normally used unchecked. Only
        // a name that must be made and is taken already (the same document
        // again on this driver, or another process first) draws a new
        // number, where a fixed number would fail the job.
        if (!claim || claimIn(result) != Claim::Taken) return result;
    }
    return drawName(compose, claimIn);
}

AString KIPUniqueId::drawName(const std::function<AString(int32_t)>& compose,
                              const std::function<Claim(const AString&)>& claimIn) {
    const std::filesystem::path path = counterPath();
    // Read, claim and save form one step under the counter file's lock, so
    // that processes drawing at the same time never draw the same number.
    LockedFile counter(path.c_str());
    if (!counter.IsOpen()) RV_LOG(kLogSource)("Cannot lock %s: the number drawn cannot be kept", path.c_str());
    uint32_t value = readCounter(counter, path);
    if (drawWindowHook) drawWindowHook();
    AString result;
    for (int draw = 0; draw < kMaxDraws; ++draw) {
        const int32_t number = nextNumber(value);
        value = static_cast<uint32_t>(number);
        const AString previous = result;
        result = compose(number);
        const Claim outcome = claimIn(result);
        if (outcome != Claim::Taken) {
            uniqueCounter = number;
            saveCounter(counter, path, value);
            return result;
        }
        // A format without a number gives the same name whatever is drawn.
        if (draw > 0 && result == previous) break;
    }
    RV_LOG(kLogSource)("No free unique name for %s", result.c_str());
    // The numbers tried are taken: the next draw starts after them.
    saveCounter(counter, path, value);
    if (uniqueCounter == -1) uniqueCounter = static_cast<int32_t>(value);
    return result;
}
