#include "TempBaseFolder.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

TempBaseFolder::TempBaseFolder() {
    if (const char* old = std::getenv("ZUKIP_BASE_DIR")) previous_ = old;
    std::string pattern = (fs::temp_directory_path() / "zukip-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a folder like " + pattern);
    root_ = pattern;
    fs::create_directories(outputDrivers());
    fs::create_directories(temp());
    setenv("ZUKIP_BASE_DIR", root_.c_str(), 1);
}

TempBaseFolder::~TempBaseFolder() {
    if (previous_) setenv("ZUKIP_BASE_DIR", previous_->c_str(), 1);
    else unsetenv("ZUKIP_BASE_DIR");
    std::error_code ec;
    fs::remove_all(root_, ec);
}

fs::path TempBaseFolder::write(const std::string& relative, const std::string& text) const {
    const fs::path p = root_ / relative;
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
    return p;
}

void TempBaseFolder::copySamples() const {
    fs::copy(fs::path(ZUKIP_SOURCE_DIR) / "examples" / "base", root_,
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<unsigned char> readBytes(const fs::path& path) {
    const std::string bytes = readFile(path);
    return {bytes.begin(), bytes.end()};
}

void writeBytes(const fs::path& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
