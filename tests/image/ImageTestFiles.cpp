#include "ImageTestFiles.h"

#include "KIPExportBitmap.h"
#include "TempBaseFolder.h"

std::string kipTagList(std::uint32_t pageHeight) {
    return "int16 259 32773 int32 263 2 int32 266 1 int32 274 1 int32 278 " + std::to_string(pageHeight) +
           " str 285 page__test str 305 Qel str 306 2011";
}

std::size_t paddedRowBytes(std::uint32_t width, int bitsPerPixel) {
    return (std::size_t{width} * bitsPerPixel + 31) / 32 * 4;
}

std::vector<unsigned char> patternRows(std::uint32_t rows, std::size_t rowBytes, unsigned seed) {
    std::vector<unsigned char> bytes(rows * rowBytes);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<unsigned char>((i / rowBytes) * 31 + (i % rowBytes) * 7 + seed * 13);
    return bytes;
}

bool writeImage(const std::string& path, std::uint32_t width, std::uint32_t height, int bitsPerPixel,
                const std::vector<unsigned char>& rows, std::size_t rowBytes, const std::string& tagList,
                bool roomForDirectory) {
    KIPExportBitmap image(path.c_str(), width, height, 300.0, 600.0, bitsPerPixel, 6, bitsPerPixel == 32 ? 2 : 0,
                          nullptr, tagList.c_str(), static_cast<int>(tagList.size()));
    bool ok = !roomForDirectory || image.LeaveRoomForDirectory();
    for (std::size_t at = 0; at + rowBytes <= rows.size(); at += rowBytes)
        ok = image.WriteBand(1, static_cast<std::uint32_t>(rowBytes), rows.data() + at) != 0 && ok;
    return ok;
}
