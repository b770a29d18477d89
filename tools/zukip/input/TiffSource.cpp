// Reads TIFF pages row by row and brings their samples to the shared models.
#include "TiffSource.h"

#include "ToolError.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>

namespace {

// Sample index of one stored row, any of the supported depths, widened to 16 bits (palette indices stay).
uint32_t storedSample(const uint8_t* row, size_t index, int bits) {
    if (bits == 8) return row[index];
    if (bits == 16) {
        uint16_t value;
        std::memcpy(&value, row + 2 * index, 2);
        return value;
    }
    const size_t bit = index * size_t(bits);
    return (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
}

// Caps what one band of tiles may take, so that a hostile tile size cannot make zukip allocate without bound.
constexpr size_t kMaxBandBytes = size_t(1) << 28;

uint16_t widen(uint32_t value, int bits) {
    return bits == 16 ? uint16_t(value) : uint16_t(value * 65535u / ((1u << bits) - 1));
}

// A signed CIELAB a or b sample (8 bits, or 16 bits in 1/256 steps) as LittleCMS encodes it: (v + 128) * 257.
uint16_t labAxis(uint32_t stored, int bits) {
    const double value = bits == 8 ? double(int8_t(stored)) : int16_t(stored) / 256.0;
    return uint16_t(std::lround(std::clamp(value + 128.0, 0.0, 255.0) * 257.0));
}

std::string photometricName(uint16_t photometric) {
    switch (photometric) {
    case PHOTOMETRIC_MINISWHITE:
    case PHOTOMETRIC_MINISBLACK: return "greyscale";
    case PHOTOMETRIC_RGB: return "RGB";
    case PHOTOMETRIC_PALETTE: return "palette";
    case PHOTOMETRIC_SEPARATED: return "separated";
    case PHOTOMETRIC_YCBCR: return "YCbCr";
    case PHOTOMETRIC_CIELAB: return "Lab";
    default: return "photometric " + std::to_string(photometric);
    }
}

}  // namespace

TiffSource::TiffSource(const std::string& path) : path_(path) {
    // Not memory-mapped: the mapped pages of a large image would stay resident, as much memory as the file.
    tif_ = OpenTiff(path, "rm", &error_);
    if (!tif_) throw ToolError(path + " is not a readable TIFF image" + (error_.empty() ? "" : " (" + error_ + ")"));
}

void TiffSource::fail(const std::string& what) const { throw ToolError("image " + path_ + " " + what); }

bool TiffSource::nextFrame(ImageFrame* frame) {
    if (started_ && !TIFFReadDirectory(tif_.get())) return false;
    started_ = true;
    describeFrame(frame);
    return true;
}

void TiffSource::describeFrame(ImageFrame* frame) {
    TIFF* tif = tif_.get();
    uint16_t planar = PLANARCONFIG_CONTIG, format = SAMPLEFORMAT_UINT, inkSet = INKSET_CMYK, compression = 0;
    width_ = height_ = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width_);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height_);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits_);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples_);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(tif, TIFFTAG_INKSET, &inkSet);
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric_)) fail("has no photometric interpretation tag");
    if (photometric_ == PHOTOMETRIC_YCBCR && compression == COMPRESSION_JPEG) {
        // libtiff's JPEG codec hands out RGB when asked.
        TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
        photometric_ = PHOTOMETRIC_RGB;
    }
    separate_ = planar == PLANARCONFIG_SEPARATE && samples_ > 1;

    frame->description = photometricName(photometric_) + ", " + std::to_string(samples_) + " sample(s) of " +
                         std::to_string(bits_) + " bit(s)";
    const std::string unsupported = "has a type zukip cannot print (" + frame->description +
                                    "); it reads greyscale, RGB, palette, CMYK and Lab TIFF images of 1 to 16 bits";
    switch (photometric_) {
    case PHOTOMETRIC_MINISWHITE:
    case PHOTOMETRIC_MINISBLACK: colourSamples_ = 1, frame->model = ColourModel::Grey; break;
    case PHOTOMETRIC_PALETTE: colourSamples_ = 1, frame->model = ColourModel::Rgb; break;
    case PHOTOMETRIC_RGB: colourSamples_ = 3, frame->model = ColourModel::Rgb; break;
    case PHOTOMETRIC_CIELAB:
    case PHOTOMETRIC_ICCLAB: colourSamples_ = 3, frame->model = ColourModel::Lab; break;
    case PHOTOMETRIC_SEPARATED:
        if (inkSet != INKSET_CMYK) fail(unsupported);
        colourSamples_ = 4, frame->model = ColourModel::Cmyk;
        break;
    default: fail(unsupported);
    }
    const bool knownDepth = bits_ == 1 || bits_ == 2 || bits_ == 4 || bits_ == 8 || bits_ == 16;
    const bool lab = frame->model == ColourModel::Lab;
    if (!knownDepth || format != SAMPLEFORMAT_UINT || samples_ < colourSamples_ || samples_ > colourSamples_ + 8 ||
        (photometric_ == PHOTOMETRIC_PALETTE && bits_ == 16) || (lab && bits_ < 8))
        fail(unsupported);
    if (width_ == 0 || height_ == 0)
        fail("is empty (" + std::to_string(width_) + " x " + std::to_string(height_) + " pixels)");
    if (uint64_t(width_) * height_ > kMaxPixels)
        fail("is too large (" + std::to_string(width_) + " x " + std::to_string(height_) + " pixels)");

    alpha_ = -1;
    uint16_t extraCount = 0;
    uint16_t* extraTypes = nullptr;
    if (TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extraTypes))
        for (uint16_t i = 0; i < extraCount && alpha_ < 0; ++i)
            if (extraTypes[i] == EXTRASAMPLE_ASSOCALPHA || extraTypes[i] == EXTRASAMPLE_UNASSALPHA) {
                alpha_ = colourSamples_ + i;
                premultiplied_ = extraTypes[i] == EXTRASAMPLE_ASSOCALPHA;
            }
    if (alpha_ >= samples_) alpha_ = -1;
    if (photometric_ == PHOTOMETRIC_PALETTE &&
        !TIFFGetField(tif, TIFFTAG_COLORMAP, &palette_[0], &palette_[1], &palette_[2]))
        fail("is a palette image without a colour map");
    frame->bilevel = frame->model == ColourModel::Grey && bits_ == 1 && samples_ == 1;

    frame->width = width_;
    frame->height = height_;
    float x = 0, y = 0;
    uint16_t unit = RESUNIT_INCH, orientation = ORIENTATION_TOPLEFT;
    TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
    const double perInch = unit == RESUNIT_CENTIMETER ? 2.54 : unit == RESUNIT_INCH ? 1.0 : 0.0;
    frame->xDpi = TIFFGetField(tif, TIFFTAG_XRESOLUTION, &x) && x > 0 ? x * perInch : 0;
    frame->yDpi = TIFFGetField(tif, TIFFTAG_YRESOLUTION, &y) && y > 0 ? y * perInch : frame->xDpi;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &orientation);
    frame->orientation = orientation >= 1 && orientation <= 8 ? orientation : 1;
    uint32_t iccSize = 0;
    void* icc = nullptr;
    frame->iccProfile.clear();
    if (TIFFGetField(tif, TIFFTAG_ICCPROFILE, &iccSize, &icc) && icc)
        frame->iccProfile.assign(static_cast<uint8_t*>(icc), static_cast<uint8_t*>(icc) + iccSize);

    tiled_ = TIFFIsTiled(tif) != 0;
    const size_t perPlane = separate_ ? 1 : samples_;
    rowBytes_ = (size_t(width_) * perPlane * bits_ + 7) / 8;
    const size_t planes = separate_ ? samples_ : 1;
    tileWidth_ = tileHeight_ = 0;
    if (tiled_) {
        TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tileWidth_);
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &tileHeight_);
        const tmsize_t tileSize = TIFFTileSize(tif);
        if (tileWidth_ == 0 || tileHeight_ == 0 || tileHeight_ > 65536 || tileSize <= 0 ||
            size_t(tileSize) > kMaxBandBytes || rowBytes_ * tileHeight_ * planes > kMaxBandBytes)
            fail("has unusable tiles (" + std::to_string(tileWidth_) + " x " + std::to_string(tileHeight_) + ")");
        tile_.assign(size_t(tileSize), 0);
        rows_.assign(rowBytes_ * tileHeight_ * planes, 0);
    } else {
        const tmsize_t scanline = TIFFScanlineSize(tif);
        if (scanline <= 0 || size_t(scanline) < rowBytes_) fail("has no readable rows");
        rows_.assign(size_t(scanline) * planes, 0);
        rowBytes_ = size_t(scanline);
    }
    row_ = 0;
    band_ = UINT32_MAX;
}

void TiffSource::loadBand(uint32_t band) {
    const size_t tileRowBytes = size_t(TIFFTileRowSize(tif_.get()));
    const uint16_t planes = separate_ ? samples_ : 1;
    for (uint16_t p = 0; p < planes; ++p)
        for (uint32_t x = 0; x < width_; x += tileWidth_) {
            if (TIFFReadTile(tif_.get(), tile_.data(), x, band * tileHeight_, 0, p) < 0)
                fail("is damaged in the tile at " + std::to_string(x) + "," + std::to_string(band * tileHeight_) +
                     (error_.empty() ? "" : " (" + error_ + ")"));
            const size_t offset = size_t(x / tileWidth_) * tileRowBytes;
            const size_t count = std::min(tileRowBytes, rowBytes_ - offset);
            for (uint32_t r = 0; r < tileHeight_; ++r)
                std::memcpy(rows_.data() + (size_t(p) * tileHeight_ + r) * rowBytes_ + offset,
                            tile_.data() + r * tileRowBytes, count);
        }
    band_ = band;
}

const uint8_t* TiffSource::rawRow(uint16_t plane) {
    if (tiled_) {
        if (row_ / tileHeight_ != band_) loadBand(row_ / tileHeight_);
        return rows_.data() + (size_t(plane) * tileHeight_ + row_ % tileHeight_) * rowBytes_;
    }
    uint8_t* row = rows_.data() + size_t(plane) * rowBytes_;
    if (TIFFReadScanline(tif_.get(), row, row_, plane) < 0)
        fail("is damaged at row " + std::to_string(row_) + (error_.empty() ? "" : " (" + error_ + ")"));
    return row;
}

void TiffSource::readRow(uint16_t* out) {
    if (row_ >= height_) fail("was read past its last row");
    const uint8_t* planes[16] = {};
    for (uint16_t p = 0; p < (separate_ ? samples_ : 1); ++p) planes[p] = rawRow(p);
    const auto sample = [&](uint32_t x, int s) {
        return separate_ ? storedSample(planes[s], x, bits_) : storedSample(planes[0], size_t(x) * samples_ + s, bits_);
    };
    const int channels = photometric_ == PHOTOMETRIC_PALETTE ? 3 : colourSamples_;
    const bool ink = photometric_ == PHOTOMETRIC_SEPARATED;
    for (uint32_t x = 0; x < width_; ++x) {
        uint16_t* pixel = out + size_t(x) * channels;
        if (photometric_ == PHOTOMETRIC_PALETTE) {
            const uint32_t index = std::min<uint32_t>(sample(x, 0), (1u << bits_) - 1);
            for (int c = 0; c < 3; ++c) pixel[c] = palette_[c][index];
        } else {
            for (int c = 0; c < colourSamples_; ++c) pixel[c] = widen(sample(x, c), bits_);
            if (photometric_ == PHOTOMETRIC_MINISWHITE) pixel[0] = uint16_t(65535 - pixel[0]);
            if (photometric_ == PHOTOMETRIC_CIELAB)
                for (int c = 1; c < 3; ++c) pixel[c] = labAxis(sample(x, c), bits_);
        }
        if (alpha_ < 0) continue;
        // On white paper: light shows through where the image is transparent, and ink is left out.
        const uint32_t a = widen(sample(x, alpha_), bits_);
        for (int c = 0; c < channels; ++c) {
            const uint32_t v = pixel[c];
            if (premultiplied_) pixel[c] = ink ? pixel[c] : uint16_t(std::min<uint32_t>(v + 65535u - a, 65535u));
            else pixel[c] = ink ? uint16_t((v * a + 32767u) / 65535u) : lightOnWhite(v, a);
        }
    }
    ++row_;
}

void TiffSource::readBits(uint8_t* out) {
    if (row_ >= height_) fail("was read past its last row");
    const uint8_t* row = rawRow(0);
    const size_t bytes = (size_t(width_) + 7) / 8;
    const bool invert = photometric_ == PHOTOMETRIC_MINISBLACK;
    for (size_t i = 0; i < bytes; ++i) out[i] = invert ? uint8_t(~row[i]) : row[i];
    // Padding bits after the last pixel are cleared so they never count as ink.
    if (width_ % 8) out[bytes - 1] &= uint8_t(0xFF << (8 - width_ % 8));
    ++row_;
}
