#include "TiffFile.h"

#include <cstdarg>
#include <cstdio>

namespace {
int keepFirstError(TIFF*, void* user, const char*, const char* format, va_list args) {
    auto* text = static_cast<std::string*>(user);
    if (text && text->empty()) {
        char buffer[512];
        std::vsnprintf(buffer, sizeof buffer, format, args);
        *text = buffer;
    }
    return 1;
}

int dropMessage(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct OptionsFree {
    void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};
}  // namespace

TiffHandle OpenTiff(const std::string& path, const char* mode, std::string* error) {
    std::unique_ptr<TIFFOpenOptions, OptionsFree> options(TIFFOpenOptionsAlloc());
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), keepFirstError, error);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), dropMessage, nullptr);
    return TiffHandle(TIFFOpenExt(path.c_str(), mode, options.get()));
}
