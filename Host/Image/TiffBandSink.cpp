#include "TiffBandSink.h"

#include "RVLog.h"
#include "TiffTagList.h"

#include <tiffio.h>

#include <cmath>
#include <cstdio>

namespace {
const char* const kLogSource = "Host\\Image\\TiffBandSink";

// Encoded data collects here until it is appended to the strip, so the
// memory use stays the same however large the page (libtiff's default
// would be the size of the whole strip).
const tmsize_t kEncodeBufferBytes = 256 * 1024;

// The writer owns the pixel layout; a tag list may not redefine it.
bool isLayoutTag(std::uint16_t tag) {
    switch (tag) {
    case TIFFTAG_IMAGEWIDTH: case TIFFTAG_IMAGELENGTH: case TIFFTAG_BITSPERSAMPLE:
    case TIFFTAG_SAMPLESPERPIXEL: case TIFFTAG_PLANARCONFIG: case TIFFTAG_STRIPOFFSETS:
    case TIFFTAG_STRIPBYTECOUNTS: case TIFFTAG_TILEWIDTH: case TIFFTAG_TILELENGTH:
    case TIFFTAG_TILEOFFSETS: case TIFFTAG_TILEBYTECOUNTS: case TIFFTAG_SUBIFD:
        return true;
    default:
        return false;
    }
}

bool isScalarInteger(const TIFFField* field) {
    if (TIFFFieldPassCount(field) || TIFFFieldWriteCount(field) != 1) return false;
    switch (TIFFFieldDataType(field)) {
    case TIFF_BYTE: case TIFF_SHORT: case TIFF_LONG: return true;
    default: return false;
    }
}

std::uint32_t largestValue(const TIFFField* field) {
    switch (TIFFFieldDataType(field)) {
    case TIFF_BYTE: return 0xFF;
    case TIFF_SHORT: return 0xFFFF;
    default: return 0xFFFFFFFFu;
    }
}

// Tags libtiff does not know are registered on this handle only; the name is
// shared because libtiff keeps the pointer, not a copy.
const TIFFField* registerCustomTag(TIFF* tif, const TiffTagList::Entry& entry) {
    static char name[] = "ZuKIPTag";
    TIFFFieldInfo info{};
    info.field_tag = entry.tag;
    info.field_bit = FIELD_CUSTOM;
    info.field_oktochange = 1;
    info.field_passcount = 0;
    info.field_name = name;
    if (entry.kind == TiffTagList::Kind::Text) {
        info.field_readcount = info.field_writecount = TIFF_VARIABLE;
        info.field_type = TIFF_ASCII;
    } else {
        info.field_readcount = info.field_writecount = 1;
        info.field_type = entry.kind == TiffTagList::Kind::Int16 ? TIFF_SHORT : TIFF_LONG;
    }
    if (TIFFMergeFieldInfo(tif, &info, 1) != 0) return nullptr;
    return TIFFFindField(tif, entry.tag, TIFF_ANY);
}

bool validResolution(double dpi) { return std::isfinite(dpi) && dpi > 0.0; }
}  // namespace

int TiffBandSink::logMessage(TIFF*, void* sink, const char* module, const char* format, va_list args) {
    char text[512];
    std::vsnprintf(text, sizeof text, format ? format : "", args);
    const auto* self = static_cast<const TiffBandSink*>(sink);
    RV_LOG(kLogSource)("%s: %s: %s", self->path_.c_str(), module ? module : "libtiff", text);
    return 1;   // handled: the process-wide handlers stay out of it
}

TiffBandSink::TiffBandSink(const ImageLayout& layout) : path_(layout.path) {}

TiffBandSink::~TiffBandSink() { close(); }

std::unique_ptr<TiffBandSink> TiffBandSink::open(const ImageLayout& layout) {
    std::unique_ptr<TiffBandSink> sink(new TiffBandSink(layout));
    if (!sink->create()) return nullptr;
    if (!sink->describe(layout)) {
        // A half-described file is of no use to anyone.
        sink->close();
        std::remove(layout.path);
        return nullptr;
    }
    return sink;
}

bool TiffBandSink::create() {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) return false;
    TIFFOpenOptionsSetErrorHandlerExtR(options, &TiffBandSink::logMessage, this);
    TIFFOpenOptionsSetWarningHandlerExtR(options, &TiffBandSink::logMessage, this);
    tif_ = TIFFOpenExt(path_.c_str(), "wl", options);
    TIFFOpenOptionsFree(options);
    if (!tif_) RV_LOG(kLogSource)("Cannot create TIFF file %s", path_.c_str());
    return tif_ != nullptr;
}

bool TiffBandSink::describe(const ImageLayout& layout) {
    const bool cmyk = layout.bitsPerPixel == 32;
    const std::uint16_t bitsPerSample = cmyk ? 8 : static_cast<std::uint16_t>(layout.bitsPerPixel);
    bool ok = TIFFSetField(tif_, TIFFTAG_IMAGEWIDTH, layout.width) &&
              TIFFSetField(tif_, TIFFTAG_IMAGELENGTH, layout.height) &&
              TIFFSetField(tif_, TIFFTAG_BITSPERSAMPLE, bitsPerSample) &&
              TIFFSetField(tif_, TIFFTAG_SAMPLESPERPIXEL, cmyk ? 4 : 1) &&
              TIFFSetField(tif_, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
              TIFFSetField(tif_, TIFFTAG_PHOTOMETRIC, cmyk ? PHOTOMETRIC_SEPARATED : PHOTOMETRIC_MINISWHITE) &&
              TIFFSetField(tif_, TIFFTAG_COMPRESSION, COMPRESSION_PACKBITS) &&
              (layout.height == 0 || TIFFSetField(tif_, TIFFTAG_ROWSPERSTRIP, layout.height));
    if (ok && cmyk) ok = TIFFSetField(tif_, TIFFTAG_INKSET, INKSET_CMYK);
    if (ok && validResolution(layout.xResolution) && validResolution(layout.yResolution)) {
        ok = TIFFSetField(tif_, TIFFTAG_XRESOLUTION, layout.xResolution) &&
             TIFFSetField(tif_, TIFFTAG_YRESOLUTION, layout.yResolution) &&
             TIFFSetField(tif_, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    } else if (ok) {
        RV_LOG(kLogSource)("%s: resolution %g x %g ignored", path_.c_str(), layout.xResolution, layout.yResolution);
    }
    if (ok) applyTagList(layout.tagList);
    ok = ok && TIFFWriteBufferSetup(tif_, nullptr, kEncodeBufferBytes);
    rowBytes_ = ok ? static_cast<std::size_t>(TIFFScanlineSize(tif_)) : 0;
    if (!ok) RV_LOG(kLogSource)("Cannot describe TIFF file %s", path_.c_str());
    return ok;
}

void TiffBandSink::applyTagList(std::string_view tagList) {
    const TiffTagList list(tagList);
    for (const TiffTagList::Entry& entry : list.entries()) {
        if (isLayoutTag(entry.tag)) {
            RV_LOG(kLogSource)("%s: tag %u is set by the writer, list value ignored", path_.c_str(), entry.tag);
            continue;
        }
        const TIFFField* field = TIFFFindField(tif_, entry.tag, TIFF_ANY);
        if (!field) field = registerCustomTag(tif_, entry);
        const bool text = entry.kind == TiffTagList::Kind::Text;
        bool ok = false;
        if (field && text && TIFFFieldDataType(field) == TIFF_ASCII && !TIFFFieldPassCount(field)) {
            ok = TIFFSetField(tif_, entry.tag, entry.text.c_str());
        } else if (field && !text && isScalarInteger(field) && entry.number <= largestValue(field)) {
            ok = TIFFSetField(tif_, entry.tag, entry.number);
        }
        if (!ok) RV_LOG(kLogSource)("%s: tag %u cannot take the list's value, ignored", path_.c_str(), entry.tag);
    }
}

bool TiffBandSink::writeRow(unsigned char* row) {
    if (!tif_ || TIFFWriteScanline(tif_, row, nextRow_, 0) != 1) return false;
    ++nextRow_;
    return true;
}

bool TiffBandSink::finish() {
    if (!tif_) return false;
    const bool ok = TIFFWriteDirectory(tif_) != 0;
    close();
    if (!ok) RV_LOG(kLogSource)("Cannot complete TIFF file %s", path_.c_str());
    return ok;
}

void TiffBandSink::close() {
    if (tif_) TIFFClose(tif_);
    tif_ = nullptr;
}
