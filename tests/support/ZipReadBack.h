#pragma once
// A zip archive read back with libzip, as the printer controller would read it.
#include <filesystem>
#include <map>
#include <string>

// Entry name -> content ("/" for folder entries); every file entry must be
// stored uncompressed. Fails the test and answers empty when the archive
// cannot be opened or does not check out.
std::map<std::string, std::string> readZipEntries(const std::filesystem::path& archive);

// Every file below folder: relative name ("/"-separated) -> content.
std::map<std::string, std::string> folderFiles(const std::filesystem::path& folder);
