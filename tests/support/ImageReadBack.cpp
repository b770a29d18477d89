#include "ImageReadBack.h"

#include "TempBaseFolder.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace fs = std::filesystem;

namespace {
// libtiff reports to stderr unless told otherwise; a test wants the messages, not the noise.
struct QuietTiff {
    explicit QuietTiff(const fs::path& path) {
        TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
        TIFFOpenOptionsSetErrorHandlerExtR(options, collect, &messages);
        TIFFOpenOptionsSetWarningHandlerExtR(options, collect, &messages);
        tif = TIFFOpenExt(path.c_str(), "r", options);
        TIFFOpenOptionsFree(options);
    }
    ~QuietTiff() {
        if (tif) TIFFClose(tif);
    }
    static int collect(TIFF*, void* messages, const char*, const char* format, va_list args) {
        char text[512];
        std::vsnprintf(text, sizeof text, format, args);
        static_cast<std::vector<std::string>*>(messages)->emplace_back(text);
        return 1;
    }
    TIFF* tif = nullptr;
    std::vector<std::string> messages;
};

}  // namespace

uint32_t littleEndian(const std::vector<unsigned char>& bytes, size_t at, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | bytes.at(at + static_cast<size_t>(i));
    return value;
}

ReadImage readTiff(const fs::path& path) {
    ReadImage image;
    QuietTiff t(path);
    if (!t.tif) {
        ADD_FAILURE() << "libtiff cannot open " << path;
        return image;
    }
    uint16_t bits = 0, samples = 0;
    TIFFGetField(t.tif, TIFFTAG_IMAGEWIDTH, &image.width);
    TIFFGetField(t.tif, TIFFTAG_IMAGELENGTH, &image.height);
    TIFFGetFieldDefaulted(t.tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(t.tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    image.bitsPerSample = bits;
    image.samplesPerPixel = samples;
    const auto size = static_cast<size_t>(TIFFScanlineSize(t.tif));
    for (uint32_t r = 0; r < image.height; ++r) {
        std::vector<uint8_t> row(size);
        if (TIFFReadScanline(t.tif, row.data(), r, 0) != 1) {
            ADD_FAILURE() << "libtiff cannot read row " << r << " of " << path;
            break;
        }
        image.rows.push_back(std::move(row));
    }
    image.messages = t.messages;
    return image;
}

uint32_t tiffNumber(const fs::path& path, uint16_t tag) {
    QuietTiff t(path);
    if (!t.tif) return 0;
    // Tags whose libtiff type is 16 bits are read as such, the others as 32 bits.
    const TIFFField* field = TIFFFieldWithTag(t.tif, tag);
    if (!field) return 0;
    if (TIFFFieldDataType(field) == TIFF_SHORT) {
        uint16_t value = 0;
        return TIFFGetField(t.tif, tag, &value) ? value : 0;
    }
    uint32_t value = 0;
    return TIFFGetField(t.tif, tag, &value) ? value : 0;
}

std::string tiffText(const fs::path& path, uint16_t tag) {
    QuietTiff t(path);
    char* value = nullptr;
    if (!t.tif || !TIFFGetField(t.tif, tag, &value) || !value) return {};
    return value;
}

float tiffFloat(const fs::path& path, uint16_t tag) {
    QuietTiff t(path);
    float value = 0;
    return t.tif && TIFFGetField(t.tif, tag, &value) ? value : 0;
}

std::vector<uint8_t> unpackPixels(const std::vector<uint8_t>& packed, int bits, uint32_t width) {
    std::vector<uint8_t> pixels;
    const int perByte = 8 / bits;
    for (uint32_t x = 0; x < width; ++x) {
        const int shift = 8 - bits * (1 + static_cast<int>(x) % perByte);
        pixels.push_back(static_cast<uint8_t>(packed.at(x / static_cast<uint32_t>(perByte)) >> shift & ((1 << bits) - 1)));
    }
    return pixels;
}

ReadImage readBmp(const fs::path& path) {
    ReadImage image;
    const std::vector<unsigned char> bytes = readBytes(path);
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M' || littleEndian(bytes, 2, 4) != bytes.size() ||
        littleEndian(bytes, 30, 4) != 0) {
        ADD_FAILURE() << path << " is not an uncompressed BMP of its stated size";
        return image;
    }
    const uint32_t dataAt = littleEndian(bytes, 10, 4);
    const uint32_t headerBytes = littleEndian(bytes, 14, 4);
    const auto height = static_cast<int32_t>(littleEndian(bytes, 22, 4));
    image.width = littleEndian(bytes, 18, 4);
    image.height = static_cast<uint32_t>(height < 0 ? -height : height);
    image.bitsPerSample = littleEndian(bytes, 28, 2);
    image.samplesPerPixel = image.bitsPerSample == 32 ? 4 : 1;
    const int bits = static_cast<int>(image.bitsPerSample);
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) {
        ADD_FAILURE() << path << ": " << bits << " bits per pixel is not a BMP depth";
        return image;
    }
    uint32_t colours = littleEndian(bytes, 46, 4);
    if (colours == 0 && bits <= 8) colours = 1u << bits;
    for (uint32_t i = 0; i < colours; ++i) image.palette.push_back(littleEndian(bytes, 14 + headerBytes + 4 * i, 3));
    const size_t stride = (size_t{image.width} * image.bitsPerSample + 31) / 32 * 4;
    if (dataAt < 14 + headerBytes + 4 * colours || dataAt + stride * image.height != bytes.size()) {
        ADD_FAILURE() << path << ": pixel data does not fill the file";
        return image;
    }
    // A positive height stores the bottom row first.
    image.rows.resize(image.height);
    for (uint32_t i = 0; i < image.height; ++i) {
        const auto at = bytes.begin() + static_cast<long>(dataAt + i * stride);
        const std::vector<uint8_t> stored(at, at + static_cast<long>(stride));
        std::vector<uint8_t>& row = image.rows[height > 0 ? image.height - 1 - i : i];
        row = bits <= 8 ? unpackPixels(stored, bits, image.width)
                        : std::vector<uint8_t>(stored.begin(), stored.begin() + image.width * (bits / 8));
    }
    return image;
}

RawTiff readRawTiff(const fs::path& path) {
    RawTiff raw;
    raw.bytes = readBytes(path);
    raw.ifdOffset = littleEndian(raw.bytes, 4, 4);
    const uint32_t count = littleEndian(raw.bytes, raw.ifdOffset, 2);
    for (uint32_t i = 0; i < count; ++i) {
        const size_t at = raw.ifdOffset + 2 + 12u * i;
        raw.entries[static_cast<uint16_t>(littleEndian(raw.bytes, at, 2))] = {
            static_cast<uint16_t>(littleEndian(raw.bytes, at + 2, 2)), littleEndian(raw.bytes, at + 4, 4),
            littleEndian(raw.bytes, at + 8, 4), at + 8};
    }
    return raw;
}

std::string RawTiff::text(uint16_t tag) const {
    const Entry& entry = entries.at(tag);
    const size_t at = entry.count > 4 ? entry.value : entry.fieldAt;
    return std::string(reinterpret_cast<const char*>(bytes.data() + at), entry.count - 1);
}

std::vector<std::string> fileNames(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}
