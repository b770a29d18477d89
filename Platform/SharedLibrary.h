#pragma once
// Shared libraries loaded while the program runs (dlopen on Linux): the
// driver module a host loads, and the parts of the module it loads only when
// they are needed. Each library is opened with its symbols bound at once and
// kept to itself, so that two libraries with the same inner names never mix.
#include <string>

class SharedLibrary {
public:
    // Unloadable: closing may unload it. Resident: it stays in the process once loaded (for
    // libraries such as Qt that cannot be unloaded and loaded again).
    enum class Lifetime { Unloadable, Resident };

    // Loads the library file at path; IsOpen() tells whether that worked and Error() why not.
    explicit SharedLibrary(const std::string& path, Lifetime lifetime = Lifetime::Unloadable);
    ~SharedLibrary();   // closes the library
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    bool IsOpen() const { return handle_ != nullptr; }
    // Why loading or the last lookup failed; empty when nothing failed.
    const std::string& Error() const { return error_; }

    // The exported function name as type F; null (with Error() set) when the library lacks it.
    template <typename F>
    F Function(const char* name) {
        return reinterpret_cast<F>(Symbol(name));
    }
    // The address of the exported symbol name; null (with Error() set) when the library lacks it.
    void* Symbol(const char* name);

    // True when a library of this file name (its soname, such as "libQt6Core.so.6") is loaded in
    // the process already; loads nothing.
    static bool IsLoaded(const char* soname);
    // The file of the loaded library (or program) that holds address; empty when the system cannot tell.
    static std::string FileOf(const void* address);

private:
    void* handle_ = nullptr;
    std::string error_;
};
