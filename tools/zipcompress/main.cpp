// ZipCompress: packs a job folder into one zip archive for delivery to the
// printer. The driver starts it as
//   ZipCompress.exe -dir "<folder>" -zipName "<name>.zip" -dirOutput "<parent>"
// and sends the archive <parent>/<name>.zip when the program has ended.
//
// Archive layout: the folder's content at the archive's root (no entry for
// the folder itself), sub-folders as folder entries, names relative to the
// folder with "/" between components, in byte order. Every entry is stored:
// the separations are PackBits-compressed already, and storing keeps packing
// a page far cheaper than writing it.
//
// The archive is written under a temporary name beside the final one and
// renamed only when complete, so a failure never leaves a half-written
// archive under the final name. Exit status: 0 on success, 1 when the
// archive cannot be made, 2 for a wrong command line; the reason goes to stderr.
#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Arguments {
    fs::path folder;
    std::string zipName;
    fs::path outputFolder;
};

class Failure : public std::runtime_error {
public:
    Failure(const std::string& text, int exitStatus = 1) : std::runtime_error(text), status(exitStatus) {}
    int status;
};

Arguments parseArguments(int argc, char** argv) {
    Arguments a;
    bool haveFolder = false, haveName = false, haveOutput = false;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc) throw Failure("option " + option + " needs a value", 2);
        const std::string value = argv[++i];
        if (option == "-dir") {
            a.folder = value;
            haveFolder = true;
        } else if (option == "-zipName") {
            a.zipName = value;
            haveName = true;
        } else if (option == "-dirOutput") {
            a.outputFolder = value;
            haveOutput = true;
        } else {
            throw Failure("unknown option " + option, 2);
        }
    }
    if (!haveFolder || !haveName || !haveOutput)
        throw Failure("usage: ZipCompress.exe -dir FOLDER -zipName NAME.zip -dirOutput FOLDER", 2);
    if (a.zipName.empty() || a.zipName.find('/') != std::string::npos || a.zipName == "." || a.zipName == "..")
        throw Failure("archive name \"" + a.zipName + "\" is not a file name", 2);
    return a;
}

struct Entry {
    std::string name;   // relative, "/"-separated; folders end in "/"
    fs::path source;    // empty for folders
};

// The folder's content in byte order of the entry names; throws for what cannot be archived.
std::vector<Entry> collectEntries(const fs::path& folder, const fs::path& archive) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) throw Failure("folder " + folder.string() + " does not exist");
    std::vector<Entry> entries;
    fs::recursive_directory_iterator it(folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        const fs::path& path = it->path();
        std::error_code entryError;
        if (fs::equivalent(path, archive, entryError)) continue;   // an archive written into the folder itself
        const std::string name = fs::relative(path, folder).generic_string();
        if (it->is_directory(entryError)) {
            entries.push_back({name + "/", {}});
        } else if (it->is_regular_file(entryError)) {
            entries.push_back({name, path});
        } else {
            throw Failure(path.string() + " is neither a file nor a folder");
        }
    }
    if (ec) throw Failure("cannot read folder " + folder.string() + ": " + ec.message());
    std::sort(entries.begin(), entries.end(), [](const Entry& x, const Entry& y) { return x.name < y.name; });
    return entries;
}

std::string zipErrorText(zip_t* zip) { return zip_error_strerror(zip_get_error(zip)); }

// An archive without entries: libzip would not write one at all.
void writeEmptyArchive(const fs::path& archive) {
    static const char kEndRecord[22] = {'P', 'K', 5, 6};
    const fs::path temporary = archive.string() + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(kEndRecord, sizeof kEndRecord);
        out.close();
        if (!out) {
            std::error_code ec;
            fs::remove(temporary, ec);
            throw Failure("cannot write " + archive.string());
        }
    }
    std::error_code ec;
    fs::rename(temporary, archive, ec);
    if (ec) {
        fs::remove(temporary, ec);
        throw Failure("cannot write " + archive.string() + ": " + ec.message());
    }
}

void addEntry(zip_t* zip, const Entry& entry) {
    if (entry.source.empty()) {
        if (zip_dir_add(zip, entry.name.c_str(), ZIP_FL_ENC_GUESS) < 0)
            throw Failure("cannot add folder " + entry.name + ": " + zipErrorText(zip));
        return;
    }
    zip_source_t* source = zip_source_file(zip, entry.source.c_str(), 0, -1);
    if (!source) throw Failure("cannot read " + entry.source.string() + ": " + zipErrorText(zip));
    const zip_int64_t index = zip_file_add(zip, entry.name.c_str(), source, ZIP_FL_ENC_GUESS);
    if (index < 0) {
        zip_source_free(source);
        throw Failure("cannot add " + entry.name + ": " + zipErrorText(zip));
    }
    if (zip_set_file_compression(zip, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0) < 0)
        throw Failure("cannot store " + entry.name + ": " + zipErrorText(zip));
}

void writeArchive(const Arguments& a) {
    std::error_code ec;
    if (!fs::is_directory(a.outputFolder, ec))
        throw Failure("output folder " + a.outputFolder.string() + " does not exist");
    const fs::path archive = a.outputFolder / a.zipName;
    if (fs::is_directory(archive, ec)) throw Failure(archive.string() + " is a folder");
    const std::vector<Entry> entries = collectEntries(a.folder, archive);
    if (entries.empty()) {
        writeEmptyArchive(archive);
        return;
    }
    int error = 0;
    zip_t* zip = zip_open(archive.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!zip) {
        zip_error_t e;
        zip_error_init_with_code(&e, error);
        const std::string text = zip_error_strerror(&e);
        zip_error_fini(&e);
        throw Failure("cannot make " + archive.string() + ": " + text);
    }
    try {
        for (const Entry& entry : entries) addEntry(zip, entry);
    } catch (...) {
        zip_discard(zip);
        throw;
    }
    // The sources are read and the archive written here, into a temporary
    // file that replaces the final name only when it is complete.
    if (zip_close(zip) < 0) {
        const std::string text = zipErrorText(zip);
        zip_discard(zip);
        throw Failure("cannot write " + archive.string() + ": " + text);
    }
}

}  // namespace

int main(int argc, char** argv) {
    try {
        writeArchive(parseArguments(argc, argv));
        return 0;
    } catch (const Failure& f) {
        std::fprintf(stderr, "ZipCompress: %s\n", f.what());
        return f.status;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ZipCompress: %s\n", e.what());
        return 1;
    }
}
