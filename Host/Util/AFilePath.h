#pragma once
// A file-system path of the host's utility library. A default-constructed
// path is the host's base folder (the one that holds "OutputDrivers" and
// "Temp"), taken from the environment variable ZUKIP_BASE_DIR.
#include "AString.h"

class AFilePath {
public:
    AFilePath();                                  // the host's base folder
    AFilePath(const char* path) : path_(path ? path : "") {}   // NOLINT
    AFilePath(const AString& path) : path_(path) {}            // NOLINT

    AFilePath& operator=(const char* path) { path_ = path ? path : ""; return *this; }
    AFilePath& operator=(const AString& path) { path_ = path; return *this; }
    // Appends one component with the platform separator.
    AFilePath& operator+=(const char* component);
    AFilePath& operator+=(const AString& component) { return *this += component.c_str(); }
    // Drops the last component (postfix, as the host's path does).
    AFilePath operator--(int);

    const AString& GetFullPath() const { return path_; }
    const char* c_str() const { return path_.c_str(); }
    bool exists() const;        // any entry (file or folder) exists at the path
    bool isDirectory() const;
    AString getFileName() const;  // last component, or the whole path without separator

    static AString baseFolder();  // ZUKIP_BASE_DIR, or the current folder when unset
    static bool isSeparator(char c) { return c == '/' || c == '\\'; }

private:
    AString path_;
};
