// Tells job headers, raster files and images apart by their first bytes.
#include "FileKind.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Written at the start of the header's first unused field; the driver ignores those bytes.
const char kSignature[] = "zukip make-job 1";
static_assert(sizeof kSignature <= sizeof JobHeaderLayout::unused0);

bool startsWith(const unsigned char* bytes, size_t size, const char* magic, size_t magicSize) {
    return size >= magicSize && std::memcmp(bytes, magic, magicSize) == 0;
}

// Another host's header: a printer model as zero-terminated printable text and usable resolutions.
bool looksLikeHeader(const JobHeaderLayout& h) {
    const size_t n = strnlen(h.modelName, sizeof h.modelName);
    if (n == 0 || n == sizeof h.modelName) return false;
    for (size_t i = 0; i < n; ++i)
        if (static_cast<unsigned char>(h.modelName[i]) < 0x20) return false;
    const auto usable = [](float dpi) { return std::isfinite(dpi) && dpi > 0 && dpi < 100000; };
    return usable(h.xResolution) && usable(h.yResolution);
}

}  // namespace

FileKindId FileKind::of(const std::string& path) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) return FileKindId::Folder;
    if (!fs::exists(path, ec)) return FileKindId::Missing;
    JobHeaderLayout header;
    std::memset(&header, 0, sizeof header);
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return FileKindId::Other;
    const size_t size = std::fread(&header, 1, sizeof header, f);
    std::fclose(f);
    const auto* bytes = reinterpret_cast<const unsigned char*>(&header);
    if (startsWith(bytes, size, "II*\0", 4) || startsWith(bytes, size, "MM\0*", 4) ||
        startsWith(bytes, size, "II+\0", 4) || startsWith(bytes, size, "MM\0+", 4))
        return FileKindId::Tiff;
    if (startsWith(bytes, size, "\x89PNG\r\n\x1a\n", 8)) return FileKindId::Png;
    if (startsWith(bytes, size, "\xff\xd8\xff", 3)) return FileKindId::Jpeg;
    if (startsWith(bytes, size, "ZRS\x1a", 4)) return FileKindId::RasterFile;
    if (size == sizeof header && startsWith(bytes, size, kSignature, sizeof kSignature)) return FileKindId::ZukipJob;
    if (size == sizeof header && looksLikeHeader(header)) return FileKindId::JobHeader;
    if (startsWith(bytes, size, "BM", 2)) return FileKindId::Bmp;
    return FileKindId::Other;
}

std::string FileKind::describe(FileKindId kind) {
    switch (kind) {
    case FileKindId::Missing: return "missing";
    case FileKindId::Folder: return "a folder";
    case FileKindId::ZukipJob: return "a job made by zukip";
    case FileKindId::JobHeader: return "a job";
    case FileKindId::RasterFile: return "the raster file of a job";
    case FileKindId::Tiff: return "a TIFF image";
    case FileKindId::Png: return "a PNG image";
    case FileKindId::Jpeg: return "a JPEG image";
    case FileKindId::Bmp: return "a BMP image";
    case FileKindId::Other: break;
    }
    return "not a job or an image zukip knows";
}

void FileKind::sign(JobHeaderLayout& header) { std::memcpy(header.unused0, kSignature, sizeof kSignature); }
