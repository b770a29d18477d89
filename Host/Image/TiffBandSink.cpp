#include "TiffBandSink.h"

#include "RVLog.h"
#include "TiffTagList.h"
#include "ZUPackBits.h"

#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {
const char* const kLogSource = "Host\\Image\\TiffBandSink";

// Encoded data collects here until it is appended to the strip, so the
// memory use stays the same however large the page (libtiff's default
// would be the size of the whole strip).
const std::size_t kEncodeBufferBytes = 256 * 1024;
const std::uint32_t kHeaderBytes = 8;

// A file in memory for libtiff: a directory written into it tells how many
// bytes the real file's directory will take.
struct MemoryFile {
    std::vector<unsigned char> bytes;
    toff_t position = 0;

    static tmsize_t read(thandle_t, void*, tmsize_t) { return 0; }
    static tmsize_t write(thandle_t handle, void* data, tmsize_t size) {
        auto* file = static_cast<MemoryFile*>(handle);
        if (size < 0) return -1;
        const std::size_t end = static_cast<std::size_t>(file->position) + static_cast<std::size_t>(size);
        if (end > file->bytes.size()) file->bytes.resize(end);
        std::memcpy(file->bytes.data() + file->position, data, static_cast<std::size_t>(size));
        file->position = end;
        return size;
    }
    static toff_t seek(thandle_t handle, toff_t offset, int whence) {
        auto* file = static_cast<MemoryFile*>(handle);
        const toff_t base = whence == SEEK_CUR ? file->position : whence == SEEK_END ? file->bytes.size() : 0;
        file->position = base + offset;
        return file->position;
    }
    static int close(thandle_t) { return 0; }
    static toff_t size(thandle_t handle) { return static_cast<MemoryFile*>(handle)->bytes.size(); }
    static int map(thandle_t, void**, toff_t*) { return 0; }
    static void unmap(thandle_t, void*, toff_t) {}
};

int ignoreMessage(TIFF*, void*, const char*, const char*, va_list) { return 1; }

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
    const TiffTagList tags(layout.tagList);
    if (!sink->describe(sink->tif_, layout, tags, true) || !sink->prepareStrips(layout, tags)) {
        // A half-described file is of no use to anyone.
        RV_LOG(kLogSource)("Cannot describe TIFF file %s", layout.path);
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

bool TiffBandSink::describe(tiff* tif, const ImageLayout& layout, const TiffTagList& tags, bool report) {
    const bool cmyk = layout.bitsPerPixel == 32;
    const std::uint16_t bitsPerSample = cmyk ? 8 : static_cast<std::uint16_t>(layout.bitsPerPixel);
    bool ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, layout.width) &&
              TIFFSetField(tif, TIFFTAG_IMAGELENGTH, layout.height) &&
              TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bitsPerSample) &&
              TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, cmyk ? 4 : 1) &&
              TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
              TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, cmyk ? PHOTOMETRIC_SEPARATED : PHOTOMETRIC_MINISWHITE) &&
              TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_PACKBITS) &&
              (layout.height == 0 || TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, layout.height));
    if (ok && cmyk) ok = TIFFSetField(tif, TIFFTAG_INKSET, INKSET_CMYK);
    if (ok && validResolution(layout.xResolution) && validResolution(layout.yResolution)) {
        ok = TIFFSetField(tif, TIFFTAG_XRESOLUTION, layout.xResolution) &&
             TIFFSetField(tif, TIFFTAG_YRESOLUTION, layout.yResolution) &&
             TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    } else if (ok && report) {
        RV_LOG(kLogSource)("%s: resolution %g x %g ignored", path_.c_str(), layout.xResolution, layout.yResolution);
    }
    if (ok) applyTagList(tif, tags, report);
    return ok;
}

bool TiffBandSink::prepareStrips(const ImageLayout& layout, const TiffTagList& tags) {
    rowBytes_ = static_cast<std::size_t>(TIFFScanlineSize(tif_));
    std::uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tif_, TIFFTAG_COMPRESSION, &compression);
    std::uint32_t rowsPerStrip = 0;
    TIFFGetFieldDefaulted(tif_, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    rowsPerStrip_ = std::max<std::uint32_t>(1, std::min(rowsPerStrip, layout.height));
    if (rowBytes_ == 0) return false;
    // PackBits (the driver's tag list) is encoded here and appended to the strips as it is; any other
    // compression a tag list asks for goes through libtiff's encoder.
    if (compression != COMPRESSION_PACKBITS) return TIFFWriteBufferSetup(tif_, nullptr, kEncodeBufferBytes) != 0;
    packed_.resize(std::max(kEncodeBufferBytes, ZUPackBits::MaxPackedSize(rowBytes_)));
    if (layout.height > 0 && rowsPerStrip_ == layout.height) {
        layout_ = layout;
        layout_.path = path_.c_str();
        layout_.tagList = {};   // the caller's text; tags_ holds what it said
        tags_ = std::make_unique<TiffTagList>(tags);
    }
    return true;
}

bool TiffBandSink::leaveRoomForDirectory() {
    if (!tags_ || nextRow_ > 0) return true;
    const bool ok = reserveDirectory(layout_, *tags_);
    if (!ok) RV_LOG(kLogSource)("Cannot write room for the directory in %s", path_.c_str());
    return ok;
}

// The directory will be moved in front of the one strip (MoveTiffDirectoryToFront). The strip
// starts after exactly as many bytes as the directory and its values will take, so that the move
// writes them into that room instead of copying the whole image behind them.
bool TiffBandSink::reserveDirectory(const ImageLayout& layout, const TiffTagList& tags) {
    MemoryFile memory;
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) return false;
    TIFFOpenOptionsSetErrorHandlerExtR(options, ignoreMessage, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, ignoreMessage, nullptr);
    TIFF* probe = TIFFClientOpenExt("directory size", "wl", &memory, MemoryFile::read, MemoryFile::write,
                                    MemoryFile::seek, MemoryFile::close, MemoryFile::size, MemoryFile::map,
                                    MemoryFile::unmap, options);
    TIFFOpenOptionsFree(options);
    if (!probe) return false;
    const unsigned char byte = 0;
    const bool written = describe(probe, layout, tags, false) &&
                         TIFFWriteRawStrip(probe, 0, const_cast<unsigned char*>(&byte), 1) == 1 &&
                         TIFFWriteDirectory(probe) != 0;
    TIFFClose(probe);
    if (!written || memory.bytes.size() < kHeaderBytes) return false;
    std::uint32_t directoryOffset = 0;
    for (int i = 3; i >= 0; --i) directoryOffset = directoryOffset << 8 | memory.bytes[4 + i];
    if (directoryOffset < kHeaderBytes || directoryOffset >= memory.bytes.size()) return false;
    // The directory with its values is a few hundred bytes.
    const std::vector<unsigned char> room(memory.bytes.size() - directoryOffset, 0);
    return pwrite(TIFFFileno(tif_), room.data(), room.size(), kHeaderBytes) == static_cast<ssize_t>(room.size());
}

void TiffBandSink::applyTagList(tiff* tif, const TiffTagList& list, bool report) {
    for (const TiffTagList::Entry& entry : list.entries()) {
        if (isLayoutTag(entry.tag)) {
            if (report) RV_LOG(kLogSource)("%s: tag %u is set by the writer, list value ignored", path_.c_str(), entry.tag);
            continue;
        }
        const TIFFField* field = TIFFFindField(tif, entry.tag, TIFF_ANY);
        if (!field) field = registerCustomTag(tif, entry);
        const bool text = entry.kind == TiffTagList::Kind::Text;
        bool ok = false;
        if (field && text && TIFFFieldDataType(field) == TIFF_ASCII && !TIFFFieldPassCount(field)) {
            ok = TIFFSetField(tif, entry.tag, entry.text.c_str());
        } else if (field && !text && isScalarInteger(field) && entry.number <= largestValue(field)) {
            ok = TIFFSetField(tif, entry.tag, entry.number);
        }
        if (!ok && report) RV_LOG(kLogSource)("%s: tag %u cannot take the list's value, ignored", path_.c_str(), entry.tag);
    }
}

bool TiffBandSink::writeRow(const unsigned char* row) {
    if (!tif_) return false;
    if (packed_.empty()) {
        // libtiff's encoders may work in place: they get a copy.
        scratch_.assign(row, row + rowBytes_);
        if (TIFFWriteScanline(tif_, scratch_.data(), nextRow_, 0) != 1) return false;
    } else {
        // Rows of one strip share the buffer; a strip's last row or a full buffer sends it.
        used_ += ZUPackBits::Pack(row, rowBytes_, packed_.data() + used_);
        const bool stripEnds = (nextRow_ + 1) % rowsPerStrip_ == 0;
        if ((stripEnds || packed_.size() - used_ < ZUPackBits::MaxPackedSize(rowBytes_)) && !flushStrip()) return false;
    }
    ++nextRow_;
    return true;
}

bool TiffBandSink::flushStrip() {
    if (used_ == 0) return true;
    const tmsize_t size = static_cast<tmsize_t>(used_);
    used_ = 0;
    return TIFFWriteRawStrip(tif_, nextRow_ / rowsPerStrip_, packed_.data(), size) == size;
}

bool TiffBandSink::finish() {
    if (!tif_) return false;
    const bool ok = flushStrip() && TIFFWriteDirectory(tif_) != 0;
    close();
    if (!ok) RV_LOG(kLogSource)("Cannot complete TIFF file %s", path_.c_str());
    return ok;
}

void TiffBandSink::close() {
    if (tif_) TIFFClose(tif_);
    tif_ = nullptr;
}
