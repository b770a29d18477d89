#pragma once
// What the fuzz targets share: one host base folder for the whole process
// (made on first use, removed at exit), so that millions of inputs reuse the
// same few files instead of leaving new ones behind.
#include <cstddef>
#include <cstdint>
#include <string>

// The base folder (with "OutputDrivers" and "Temp"); ZUKIP_BASE_DIR points at
// it from the first call on. Its log file is /dev/null, so logging cannot fill
// the disk. Aborts when the folder cannot be made.
const std::string& FuzzBaseFolder();

// Writes bytes to a file below the base folder, replacing it; returns its path.
// Aborts when the file cannot be written: a target must not run on stale input.
std::string WriteFuzzFile(const std::string& relative, const uint8_t* data, size_t size);
std::string WriteFuzzFile(const std::string& relative, const std::string& text);

// The model name the fuzzed description file is indexed under.
constexpr char kFuzzModel[] = "KIP 700m";
// Writes the input as the description file of kFuzzModel (and, once, the index naming it).
void WriteFuzzDescription(const uint8_t* data, size_t size);

// Stops the run with a message: a property the code promises does not hold.
[[noreturn]] void FuzzFail(const char* what);
