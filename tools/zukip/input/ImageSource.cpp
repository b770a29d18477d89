// Opens an image by what its first bytes say it is, and the helpers the readers share.
#include "ImageSource.h"

#include "FileKind.h"
#include "JpegSource.h"
#include "PngSource.h"
#include "TiffSource.h"
#include "ToolError.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

std::unique_ptr<ImageSource> ImageSource::open(const std::string& path) {
    const FileKindId kind = FileKind::of(path);
    if (kind == FileKindId::Missing) throw ToolError("image not found: " + path);
    if (kind == FileKindId::Folder) throw ToolError("image is a folder, not a file: " + path);
    if (access(path.c_str(), R_OK) != 0) throw ToolError("cannot read image " + path + ": " + std::strerror(errno));
    if (kind == FileKindId::Png) return std::make_unique<PngSource>(path);
    if (kind == FileKindId::Jpeg) return std::make_unique<JpegSource>(path);
    if (kind == FileKindId::Tiff) return std::make_unique<TiffSource>(path);
    throw ToolError(path + " is " + FileKind::describe(kind) + "; zukip reads TIFF, PNG and JPEG images");
}

int exifOrientation(const uint8_t* data, size_t size) {
    if (size < 8) return 1;
    const bool little = data[0] == 'I' && data[1] == 'I';
    if (!little && !(data[0] == 'M' && data[1] == 'M')) return 1;
    const auto read16 = [&](size_t at) { return little ? data[at] | data[at + 1] << 8 : data[at] << 8 | data[at + 1]; };
    const auto read32 = [&](size_t at) {
        return little ? uint32_t(read16(at)) | uint32_t(read16(at + 2)) << 16
                      : uint32_t(read16(at)) << 16 | uint32_t(read16(at + 2));
    };
    const uint32_t directory = read32(4);
    if (directory > size - 2) return 1;
    const unsigned entries = read16(directory);
    for (unsigned i = 0; i < entries; ++i) {
        const size_t entry = directory + 2 + size_t(i) * 12;
        if (entry + 12 > size) return 1;
        if (read16(entry) == 0x0112) {
            const int value = read16(entry + 8);
            return value >= 1 && value <= 8 ? value : 1;
        }
    }
    return 1;
}
