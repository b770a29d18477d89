#pragma once
// What arrived at the printer: the files of a folder with their sizes, and
// the entries of each zip archive among them.
#include <filesystem>

class ArchiveListing {
public:
    // Prints the listing of folder to stdout.
    static void print(const std::filesystem::path& folder);
};
