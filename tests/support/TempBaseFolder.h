#pragma once
// A fresh host base folder for one test: a temporary directory with
// "OutputDrivers" and "Temp", made the base folder through ZUKIP_BASE_DIR
// for the test's lifetime and removed afterwards.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class TempBaseFolder {
public:
    TempBaseFolder();
    ~TempBaseFolder();
    TempBaseFolder(const TempBaseFolder&) = delete;
    TempBaseFolder& operator=(const TempBaseFolder&) = delete;

    const std::filesystem::path& path() const { return root_; }
    std::filesystem::path outputDrivers() const { return root_ / "OutputDrivers"; }
    std::filesystem::path temp() const { return root_ / "Temp"; }
    // Writes text to a file below the base folder (folders made as needed); returns its path.
    std::filesystem::path write(const std::string& relative, const std::string& text) const;
    // Copies the repository's sample base folder (examples/base) into this one.
    void copySamples() const;

private:
    std::filesystem::path root_;
    std::optional<std::string> previous_;   // ZUKIP_BASE_DIR before, restored afterwards
};

// Whole-file helpers for tests.
std::string readFile(const std::filesystem::path& path);
std::vector<unsigned char> readBytes(const std::filesystem::path& path);
void writeBytes(const std::filesystem::path& path, const std::vector<unsigned char>& bytes);
