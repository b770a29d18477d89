// Runs a fuzz target over saved inputs without libFuzzer: every file named on
// the command line, and every file inside a folder named there (in name order,
// so that a failure is reproducible). Used by the tests that replay the corpora.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

namespace {
std::vector<fs::path> inputsOf(const fs::path& argument) {
    std::vector<fs::path> files;
    if (!fs::is_directory(argument)) return {argument};
    for (const auto& entry : fs::directory_iterator(argument))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

bool replay(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::fprintf(stderr, "replaying %s (%zu bytes)\n", file.c_str(), bytes.size());
    static const uint8_t kNoByte = 0;   // a valid pointer for an empty input, as libFuzzer passes
    LLVMFuzzerTestOneInput(bytes.empty() ? &kNoByte : bytes.data(), bytes.size());
    return true;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <input file or folder>...\n", argv[0]);
        return 2;
    }
    size_t count = 0;
    for (int i = 1; i < argc; ++i) {
        for (const fs::path& file : inputsOf(argv[i])) {
            if (!replay(file)) {
                std::fprintf(stderr, "cannot read %s\n", file.c_str());
                return 1;
            }
            ++count;
        }
    }
    std::fprintf(stderr, "%zu inputs replayed\n", count);
    // An empty corpus would make the test pass without testing anything.
    return count > 0 ? 0 : 1;
}
