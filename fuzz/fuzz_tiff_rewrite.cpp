// Fuzzes the TIFF rewrite that moves the directory to the front: the input is
// the TIFF file. Whatever it holds, the rewrite either leaves the file as it
// was or writes one whose image, read back with libtiff, is the same: size,
// layout tags and the raw bytes of every strip. The comparison applies to
// files laid out as the image writer lays them out (strips between the header
// and the directory), the only files the rewrite promises to understand.
#include "FuzzSupport.h"
#include "PlatformMessageBox.h"
#include "TiffDirectoryMover.h"

#include <tiffio.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

namespace {
constexpr uint64_t kMaxStripBytes = 1u << 20;   // compared per input; larger files are only rewritten

struct TiffImage {
    uint32_t width = 0, height = 0, rowsPerStrip = 0;
    uint16_t bitsPerSample = 0, samplesPerPixel = 0, compression = 0, photometric = 0;
    std::vector<uint8_t> strips;   // raw strip bytes, one after the other

    bool operator==(const TiffImage&) const = default;
};

uint32_t get32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t{p[3]} << 24; }

// The image as libtiff reads it; nothing when libtiff refuses the file, it has
// more than one directory, or a strip lies outside the writer's data area.
std::optional<TiffImage> readImage(const std::string& path, uint32_t dataEnd) {
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (!tif) return std::nullopt;
    std::optional<TiffImage> result;
    TiffImage image;
    uint64_t* offsets = nullptr;
    uint64_t* counts = nullptr;
    bool ok = TIFFNumberOfDirectories(tif) == 1 &&
              TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &image.width) && TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &image.height) &&
              TIFFGetField(tif, TIFFTAG_STRIPOFFSETS, &offsets) && TIFFGetField(tif, TIFFTAG_STRIPBYTECOUNTS, &counts);
    if (ok) {
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &image.rowsPerStrip);
        TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &image.bitsPerSample);
        TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &image.samplesPerPixel);
        TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &image.compression);
        TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &image.photometric);
        const uint32_t strips = TIFFNumberOfStrips(tif);
        uint64_t total = 0;
        for (uint32_t s = 0; ok && s < strips; ++s) {
            ok = offsets[s] >= 8 && counts[s] <= dataEnd && offsets[s] <= dataEnd - counts[s] &&
                 counts[s] <= kMaxStripBytes - total;
            if (ok) total += counts[s];
        }
        if (ok) image.strips.resize(total);
        uint64_t at = 0;
        for (uint32_t s = 0; ok && s < strips; ++s) {
            if (counts[s] == 0) continue;
            ok = TIFFReadRawStrip(tif, s, image.strips.data() + at, static_cast<tmsize_t>(counts[s])) ==
                 static_cast<tmsize_t>(counts[s]);
            at += counts[s];
        }
    }
    if (ok) result = std::move(image);
    TIFFClose(tif);
    return result;
}

std::vector<uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void quietLibtiff() {
    // This process is the fuzzer, not a plug-in: process-wide handlers are ours to set.
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = (quietLibtiff(), true);
    (void)quiet;
    const std::string path = WriteFuzzFile("image.tif", data, size);
    const uint32_t dataEnd = size >= 8 ? get32(data + 4) : 0;
    const std::optional<TiffImage> before = readImage(path, dataEnd);

    MessageBoxCapture boxes;
    const int result = MoveTiffDirectoryToFront(path.c_str());
    // 1 exactly when rewritten; a refusal answers 0 after its message.
    if (result != (boxes.texts().empty() ? 1 : 0)) FuzzFail("answer does not match the message");
    if (std::FILE* leftover = std::fopen((FuzzBaseFolder() + "/temp_image.tif").c_str(), "rb")) {
        std::fclose(leftover);
        FuzzFail("temporary file left behind");
    }
    const std::vector<uint8_t> after = readBytes(path);
    const bool unchanged = after.size() == size && std::equal(after.begin(), after.end(), data);
    if (!boxes.texts().empty() && !unchanged) FuzzFail("refused file was changed");
    if (!before || unchanged) return 0;
    // Past the header, the rewritten file holds values and directory before the data.
    const std::optional<TiffImage> moved = readImage(path, static_cast<uint32_t>(after.size()));
    if (!moved || !(*moved == *before)) FuzzFail("rewritten image differs from the original");
    return 0;
}
