#include "TiffImageReader.h"

#include "TiffFile.h"
#include "ToolError.h"

#include <tiffio.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace {

void checkReadable(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) throw ToolError("image not found: " + path);
    if (std::filesystem::is_directory(path, ec)) throw ToolError("image is a folder, not a file: " + path);
    if (access(path.c_str(), R_OK) != 0)
        throw ToolError("cannot read image " + path + ": " + std::strerror(errno));
}

std::string describe(uint16_t photometric, uint16_t samples, uint16_t bits) {
    std::string name;
    switch (photometric) {
    case PHOTOMETRIC_MINISWHITE:
    case PHOTOMETRIC_MINISBLACK: name = "greyscale"; break;
    case PHOTOMETRIC_RGB: name = "RGB"; break;
    case PHOTOMETRIC_PALETTE: name = "palette"; break;
    case PHOTOMETRIC_SEPARATED: name = "separated"; break;
    case PHOTOMETRIC_YCBCR: name = "YCbCr"; break;
    case PHOTOMETRIC_CIELAB: name = "Lab"; break;
    default: name = "photometric " + std::to_string(photometric);
    }
    return name + ", " + std::to_string(samples) + " sample(s) of " + std::to_string(bits) + " bit(s)";
}

enum class Kind { Cmyk8, Grey8, Bilevel };

// Decodes every row into planes: rows go through one scanline buffer sized by libtiff.
class Decoder {
public:
    Decoder(TIFF* tif, const std::string& path, std::string* error) : tif_(tif), path_(path), error_(error) {}

    void decode(Kind kind, uint16_t photometric, uint16_t planarConfig, RasterPage& page) {
        const tmsize_t lineSize = TIFFScanlineSize(tif_);
        if (lineSize <= 0) fail("has no readable rows");
        std::vector<uint8_t> line(static_cast<size_t>(lineSize));
        for (uint32_t y = 0; y < page.height; ++y) {
            if (kind == Kind::Cmyk8 && planarConfig == PLANARCONFIG_SEPARATE) {
                for (uint16_t s = 0; s < 4; ++s) {
                    readRow(line.data(), y, s);
                    std::memcpy(page.planes[s].row(y), line.data(), page.width);
                }
                continue;
            }
            readRow(line.data(), y, 0);
            if (kind == Kind::Cmyk8) {
                for (uint32_t x = 0; x < page.width; ++x)
                    for (int s = 0; s < 4; ++s) page.planes[s].row(y)[x] = line[4 * size_t(x) + s];
            } else if (kind == Kind::Grey8) {
                uint8_t* out = page.planes[0].row(y);
                for (uint32_t x = 0; x < page.width; ++x)
                    out[x] = photometric == PHOTOMETRIC_MINISBLACK ? uint8_t(255 - line[x]) : line[x];
            } else {
                storeBilevel(line.data(), photometric == PHOTOMETRIC_MINISBLACK, page.width, page.planes[0].row(y),
                             page.planes[0].rowBytes);
            }
        }
    }

private:
    void readRow(uint8_t* buffer, uint32_t y, uint16_t sample) {
        if (TIFFReadScanline(tif_, buffer, y, sample) < 0)
            fail("is damaged at row " + std::to_string(y) + (error_->empty() ? "" : " (" + *error_ + ")"));
    }

    // Bilevel rows become ink bits; padding bits after the last pixel are cleared so they never count as ink.
    static void storeBilevel(const uint8_t* in, bool invert, uint32_t width, uint8_t* out, size_t rowBytes) {
        for (size_t i = 0; i < rowBytes; ++i) out[i] = invert ? uint8_t(~in[i]) : in[i];
        const unsigned usedBits = width % 8;
        if (usedBits != 0) out[rowBytes - 1] &= uint8_t(0xFF << (8 - usedBits));
    }

    [[noreturn]] void fail(const std::string& what) { throw ToolError("image " + path_ + " " + what); }

    TIFF* tif_;
    const std::string& path_;
    std::string* error_;
};

}  // namespace

RasterPage TiffImageReader::read(const std::string& path) {
    checkReadable(path);
    std::string error;
    TiffHandle tif = OpenTiff(path, "r", &error);
    if (!tif) throw ToolError(path + " is not a readable TIFF image" + (error.empty() ? "" : " (" + error + ")"));

    uint32_t width = 0, height = 0;
    uint16_t bits = 1, samples = 1, photometric = 0, planarConfig = PLANARCONFIG_CONTIG, inkSet = INKSET_CMYK;
    TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_PLANARCONFIG, &planarConfig);
    if (!TIFFGetField(tif.get(), TIFFTAG_PHOTOMETRIC, &photometric))
        throw ToolError("image " + path + " has no photometric interpretation tag");
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_INKSET, &inkSet);

    const std::string supported = "; zukip reads 8-bit CMYK, 8-bit greyscale and 1-bit TIFF images";
    Kind kind;
    if (photometric == PHOTOMETRIC_SEPARATED && samples == 4 && bits == 8 && inkSet == INKSET_CMYK) kind = Kind::Cmyk8;
    else if ((photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE) && samples == 1 && bits == 8)
        kind = Kind::Grey8;
    else if ((photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE) && samples == 1 && bits == 1)
        kind = Kind::Bilevel;
    else
        throw ToolError("image " + path + " has an unsupported type (" + describe(photometric, samples, bits) + ")" +
                        supported);
    if (TIFFIsTiled(tif.get()))
        throw ToolError("image " + path + " is a tiled TIFF; zukip reads TIFF images stored in strips");
    if (width == 0 || height == 0) throw ToolError("image " + path + " is empty (" + std::to_string(width) + " x " +
                                                   std::to_string(height) + " pixels)");

    RasterPage page;
    page.width = width;
    page.height = height;
    page.source = path;
    const int planeCount = kind == Kind::Cmyk8 ? 4 : 1;
    const int depth = kind == Kind::Bilevel ? 1 : 8;
    const size_t rowBytes = packedRowBytes(depth, width);
    if (rowBytes * planeCount > kMaxPageBytes / height)
        throw ToolError("image " + path + " is too large (" + std::to_string(width) + " x " + std::to_string(height) +
                        " pixels; at most 1 GiB of ink data per page)");
    static const char* const kCmykNames[4] = {"Cyan", "Magenta", "Yellow", "Black"};
    for (int p = 0; p < planeCount; ++p) {
        RasterPlane plane;
        plane.name = planeCount == 4 ? kCmykNames[p] : "Black";
        plane.depth = depth;
        plane.rowBytes = rowBytes;
        plane.data.assign(rowBytes * height, 0);
        page.planes.push_back(std::move(plane));
    }
    Decoder(tif.get(), path, &error).decode(kind, photometric, planarConfig, page);
    return page;
}
