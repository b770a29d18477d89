#pragma once
// A fresh private folder in the system's temporary folder, removed with
// everything in it when the object goes away.
#include <string>

class TempFolder {
public:
    // Makes the folder "<tmp>/<prefix>XXXXXX"; throws ToolError when it cannot.
    explicit TempFolder(const std::string& prefix);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_;
};
