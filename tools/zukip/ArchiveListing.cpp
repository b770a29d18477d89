#include "ArchiveListing.h"

#include <zip.h>

#include <cstdio>
#include <set>

namespace fs = std::filesystem;

namespace {
void printEntries(const fs::path& archive) {
    int error = 0;
    zip_t* zip = zip_open(archive.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!zip) {
        std::printf("    (not a readable zip archive, libzip error %d)\n", error);
        return;
    }
    const zip_int64_t count = zip_get_num_entries(zip, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        if (zip_stat_index(zip, static_cast<zip_uint64_t>(i), 0, &st) == 0)
            std::printf("    %12llu  %s\n", static_cast<unsigned long long>(st.size), st.name);
    }
    zip_close(zip);
}
}  // namespace

void ArchiveListing::print(const fs::path& folder) {
    std::error_code ec;
    std::set<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (entry.is_regular_file(ec)) files.insert(entry.path());
    std::printf("\nArrived at the printer in %s: %zu file(s)\n", folder.c_str(), files.size());
    for (const fs::path& file : files) {
        std::printf("  %s (%llu bytes)\n", file.filename().c_str(),
                    static_cast<unsigned long long>(fs::file_size(file, ec)));
        if (file.extension() == ".zip") printEntries(file);
    }
}
