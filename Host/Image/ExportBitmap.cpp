#include "ExportBitmap.h"

#include "AFile.h"
#include "BmpBandSink.h"
#include "RVLog.h"
#include "TiffBandSink.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <string_view>

namespace {
const char* const kLogSource = "Host\\Image\\ExportBitmap";

// A stored row larger than this is a caller's mistake, not a page.
const std::uint64_t kMaxRowBytes = 256u * 1024 * 1024;

// The path's extension in lower case with its dot, or empty.
std::string lowerExtension(std::string_view path) {
    const std::size_t dot = path.rfind('.');
    const std::size_t separator = path.find_last_of("/\\");
    if (dot == std::string_view::npos || (separator != std::string_view::npos && dot < separator)) return {};
    std::string extension(path.substr(dot));
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

std::string_view tagListText(const char* tagList, int length) {
    if (!tagList || length <= 0) return {};
    const void* end = std::memchr(tagList, '\0', static_cast<std::size_t>(length));
    return {tagList, end ? static_cast<std::size_t>(static_cast<const char*>(end) - tagList)
                         : static_cast<std::size_t>(length)};
}

bool supportedDepth(int bitsPerPixel) {
    return bitsPerPixel == 1 || bitsPerPixel == 2 || bitsPerPixel == 8 || bitsPerPixel == 32;
}

std::unique_ptr<ImageBandSink> openSink(const ImageLayout& layout) {
    if (!supportedDepth(layout.bitsPerPixel) || layout.width == 0 ||
        (std::uint64_t{layout.width} * layout.bitsPerPixel + 7) / 8 > kMaxRowBytes) {
        RV_LOG(kLogSource)("%s: cannot write %u pixels of %d bits per row", layout.path, layout.width, layout.bitsPerPixel);
        return nullptr;
    }
    const std::string extension = lowerExtension(layout.path);
    if (extension == ".tif") return TiffBandSink::open(layout);
    if (extension == ".bmp") return BmpBandSink::open(layout);
    RV_LOG(kLogSource)("%s: unknown image file type (expected .tif or .bmp)", layout.path);
    return nullptr;
}
}  // namespace

ExportBitmap::ExportBitmap(const char* path, std::uint32_t width, std::uint32_t height, double xResolution,
                           double yResolution, int bitsPerPixel, [[maybe_unused]] int mode,
                           [[maybe_unused]] int imageKind, [[maybe_unused]] void* reserved,
                           const char* tagList, int tagListLength)
    : height_(height) {
    if (!path || !*path) {
        RV_LOG(kLogSource)("No image file name");
        return;
    }
    NotifyFileWrite(path);
    const ImageLayout layout{path, width, height, xResolution, yResolution, bitsPerPixel,
                         tagListText(tagList, tagListLength)};
    sink_ = openSink(layout);
    if (sink_) row_.assign(sink_->rowBytes(), 0);
}

ExportBitmap::~ExportBitmap() { Finish(); }

int ExportBitmap::WriteBand(std::uint32_t rows, std::uint32_t bytesPerRow, const void* data) {
    if (!IsOpen()) return 0;
    if (rows == 0) return 1;
    if (!data || bytesPerRow == 0 || rows > height_ - rowsWritten_) {
        RV_LOG(kLogSource)("Band of %u rows of %u bytes refused after %u of %u rows", rows, bytesPerRow,
                           rowsWritten_, height_);
        return 0;
    }
    const auto* source = static_cast<const unsigned char*>(data);
    for (std::uint32_t r = 0; r < rows; ++r, source += bytesPerRow) {
        // A whole row goes to the sink as it is; a shorter one is completed with zeros.
        const bool whole = bytesPerRow >= row_.size();
        if (!whole) {
            std::memcpy(row_.data(), source, bytesPerRow);
            std::memset(row_.data() + bytesPerRow, 0, row_.size() - bytesPerRow);
        }
        if (!writeRow(whole ? source : row_.data())) return 0;
    }
    return 1;
}

bool ExportBitmap::LeaveRoomForDirectory() {
    if (!IsOpen() || rowsWritten_ > 0) return IsOpen();
    if (sink_->leaveRoomForDirectory()) return true;
    failed_ = true;
    return false;
}

bool ExportBitmap::writeRow(const unsigned char* row) {
    if (!sink_->writeRow(row)) {
        failed_ = true;
        RV_LOG(kLogSource)("Writing row %u of the image failed", rowsWritten_);
        return false;
    }
    ++rowsWritten_;
    return true;
}

bool ExportBitmap::Finish() noexcept {
    if (!sink_) return complete_;
    try {
        if (!failed_ && rowsWritten_ < height_) {
            RV_LOG(kLogSource)("Image closed after %u of %u rows; the rest is left blank", rowsWritten_, height_);
            std::fill(row_.begin(), row_.end(), 0);
            for (bool written = true; written && rowsWritten_ < height_;) written = writeRow(row_.data());
        }
        // The sink is completed even after a failed row, so that its file is closed.
        const bool completed = sink_->finish();
        complete_ = completed && !failed_;
    } catch (...) {
        // Only the log can throw (no memory); the file is closed below regardless.
    }
    sink_.reset();
    return complete_;
}
