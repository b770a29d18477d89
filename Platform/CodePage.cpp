#include "CodePage.h"

#include <clocale>
#include <cstring>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

namespace {
// The code set of the environment's LC_CTYPE. A private locale object is
// queried so that the process's own locale is never switched.
std::string systemCodeSet() {
    std::string codeSet;
    if (locale_t env = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0))) {
        codeSet = nl_langinfo_l(CODESET, env);
        freelocale(env);
    }
    if (codeSet.empty() || codeSet == "ANSI_X3.4-1968" || codeSet == "ASCII") return "CP1252";
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
}  // namespace

bool PlatformAnsiToUtf8(const char* text, std::string& out) {
    if (!text || !*text) return false;
    IconvHandle cd("UTF-8", systemCodeSet().c_str());
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
    if (result.empty()) return false;
    out = std::move(result);
    return true;
}
