#include "SharedLibrary.h"

#include <dlfcn.h>

namespace {
std::string lastError() {
    const char* text = dlerror();
    return text ? text : "unknown error";
}
}  // namespace

SharedLibrary::SharedLibrary(const std::string& path, Lifetime lifetime) {
    // A path without "/" would make dlopen search the library path instead of opening this file.
    const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
    const int flags = RTLD_NOW | RTLD_LOCAL | (lifetime == Lifetime::Resident ? RTLD_NODELETE : 0);
    handle_ = dlopen(file.c_str(), flags);
    if (!handle_) error_ = lastError();
}

SharedLibrary::~SharedLibrary() {
    if (handle_) dlclose(handle_);
}

void* SharedLibrary::Symbol(const char* name) {
    if (!handle_) return nullptr;
    void* address = dlsym(handle_, name);
    if (!address) error_ = "the library does not export " + std::string(name);
    return address;
}

bool SharedLibrary::IsLoaded(const char* soname) {
    void* handle = dlopen(soname, RTLD_LAZY | RTLD_LOCAL | RTLD_NOLOAD);
    if (!handle) return false;
    dlclose(handle);   // drops the reference RTLD_NOLOAD took
    return true;
}

std::string SharedLibrary::FileOf(const void* address) {
    Dl_info info{};
    if (!dladdr(address, &info) || !info.dli_fname) return {};
    return info.dli_fname;
}
