#include "ZipReadBack.h"

#include "TempBaseFolder.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <cstring>

namespace fs = std::filesystem;

std::map<std::string, std::string> readZipEntries(const fs::path& archive) {
    std::map<std::string, std::string> entries;
    int error = 0;
    zip_t* zip = zip_open(archive.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!zip) {
        ADD_FAILURE() << "cannot open " << archive << ": libzip error " << error;
        return entries;
    }
    for (zip_int64_t i = 0; i < zip_get_num_entries(zip, 0); ++i) {
        zip_stat_t st;
        zip_stat_index(zip, static_cast<zip_uint64_t>(i), 0, &st);
        const size_t length = std::strlen(st.name);
        if (length && st.name[length - 1] == '/') {
            entries[st.name] = "/";
            continue;
        }
        EXPECT_EQ(st.comp_method, ZIP_CM_STORE) << st.name;
        std::string content(st.size, '\0');
        zip_file_t* file = zip_fopen_index(zip, static_cast<zip_uint64_t>(i), 0);
        EXPECT_EQ(file ? zip_fread(file, content.data(), st.size) : -1, static_cast<zip_int64_t>(st.size)) << st.name;
        if (file) zip_fclose(file);
        entries[st.name] = content;
    }
    zip_close(zip);
    return entries;
}

std::map<std::string, std::string> folderFiles(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file()) files[fs::relative(entry.path(), folder).generic_string()] = readFile(entry.path());
    return files;
}
