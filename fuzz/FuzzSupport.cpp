#include "FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {
std::string g_folder;

void removeFolder() {
    std::error_code ec;
    fs::remove_all(g_folder, ec);
}

std::string makeFolder() {
    std::error_code ec;
    std::string pattern = (fs::temp_directory_path(ec) / "zukip-fuzz-XXXXXX").string();
    if (ec || !mkdtemp(pattern.data())) FuzzFail("cannot make the temporary base folder");
    fs::create_directories(fs::path(pattern) / "OutputDrivers", ec);
    fs::create_directories(fs::path(pattern) / "Temp", ec);
    // Every input may log; the log would otherwise grow for the whole run.
    fs::create_symlink("/dev/null", fs::path(pattern) / "Temp" / "ZuKIP.log", ec);
    if (ec) FuzzFail("cannot set up the temporary base folder");
    setenv("ZUKIP_BASE_DIR", pattern.c_str(), 1);
    return pattern;
}
}  // namespace

const std::string& FuzzBaseFolder() {
    if (g_folder.empty()) {
        g_folder = makeFolder();
        std::atexit(removeFolder);
    }
    return g_folder;
}

std::string WriteFuzzFile(const std::string& relative, const uint8_t* data, size_t size) {
    const std::string path = (fs::path(FuzzBaseFolder()) / relative).string();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) FuzzFail("cannot create an input file");
    const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    if (std::fclose(file) != 0 || !written) FuzzFail("cannot write an input file");
    return path;
}

std::string WriteFuzzFile(const std::string& relative, const std::string& text) {
    return WriteFuzzFile(relative, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

void WriteFuzzDescription(const uint8_t* data, size_t size) {
    static const bool indexWritten = !WriteFuzzFile("OutputDrivers/ZuKIPDes.xml",
        std::string("<ZuKIPDescriptions><Printer Name=\"") + kFuzzModel +
            "\" XMLFile=\"Fuzz.xml\"/></ZuKIPDescriptions>").empty();
    (void)indexWritten;
    WriteFuzzFile("OutputDrivers/Fuzz.xml", data, size);
}

void FuzzFail(const char* what) {
    std::fprintf(stderr, "fuzz target: %s\n", what);
    std::abort();
}
