#include "CodePage.h"

#include <clocale>
#include <cstring>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

namespace {
const char* const kWindows1252 = "CP1252";

// The code set of the environment's LC_CTYPE. A private locale object is
// queried so that the process's own locale is never switched.
std::string systemCodeSet() {
    std::string codeSet;
    if (locale_t env = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0))) {
        codeSet = nl_langinfo_l(CODESET, env);
        freelocale(env);
    }
    if (codeSet.empty() || codeSet == "ANSI_X3.4-1968" || codeSet == "ASCII") return kWindows1252;
    return codeSet;
}

class IconvHandle {
public:
    IconvHandle(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~IconvHandle() {
        if (valid()) iconv_close(cd_);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;
    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

// Converts text from codeSet to UTF-8; false when the text is not valid in that code set.
bool convert(const char* codeSet, const char* text, std::string& out) {
    IconvHandle cd("UTF-8", codeSet);
    if (!cd.valid()) return false;
    const size_t length = std::strlen(text);
    // A single byte never grows beyond four UTF-8 bytes.
    std::string result(length * 4, '\0');
    char* in = const_cast<char*>(text);
    size_t inLeft = length;
    char* dest = result.data();
    size_t destLeft = result.size();
    if (iconv(cd.get(), &in, &inLeft, &dest, &destLeft) == static_cast<size_t>(-1) || inLeft != 0) return false;
    result.resize(result.size() - destLeft);
    out = std::move(result);
    return true;
}
}  // namespace

bool PlatformAnsiToUtf8(const char* text, std::string& out) {
    if (!text || !*text) return false;
    const std::string codeSet = systemCodeSet();
    std::string result;
    // The host's texts come from Windows: a text that is not valid in the
    // locale's code set (Latin-1 bytes under a UTF-8 locale, say) is read as
    // Windows-1252 rather than lost.
    if (!convert(codeSet.c_str(), text, result) && (codeSet == kWindows1252 || !convert(kWindows1252, text, result)))
        return false;
    if (result.empty()) return false;
    out = std::move(result);
    return true;
}
