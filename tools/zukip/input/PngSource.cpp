// Reads PNG images row by row. libpng reports errors by longjmp, so every
// libpng call that may fail runs in a small function that holds no C++
// object while the jump may happen.
#include "PngSource.h"

#include "ToolError.h"

#include <csetjmp>
#include <cstring>

namespace {

void onError(png_structp png, png_const_charp message) {
    auto* state = static_cast<PngSource::ErrorState*>(png_get_error_ptr(png));
    std::snprintf(state->message, sizeof state->message, "%s", message);
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

// Reads the header and sets the expansions; returns the number of interlace passes, 0 on error.
int readHeader(png_structp png, png_infop info, std::FILE* file) {
    if (setjmp(png_jmpbuf(png))) return 0;
    png_init_io(png, file);
    png_set_user_limits(png, 1u << 20, 1u << 20);
    png_read_info(png, info);
    png_set_expand(png);                 // palette to RGB, grey under 8 bits to 8, transparency to alpha
    if (png_get_bit_depth(png, info) == 16) png_set_swap(png);   // 16-bit samples in the machine's order
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return passes;
}

bool readRows(png_structp png, png_bytepp rows, uint32_t count) {
    if (setjmp(png_jmpbuf(png))) return false;
    for (uint32_t i = 0; i < count; ++i) png_read_row(png, rows[i], nullptr);
    return true;
}

bool readImage(png_structp png, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_image(png, rows);
    return true;
}

}  // namespace

PngSource::PngSource(const std::string& path) : path_(path) {
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_) throw ToolError("cannot read image " + path + ": " + std::strerror(errno));
    png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, &error_, onError, onWarning);
    info_ = png_ ? png_create_info_struct(png_) : nullptr;
    if (!info_) fail("cannot be read (out of memory)");
}

PngSource::~PngSource() {
    png_destroy_read_struct(&png_, &info_, nullptr);
    if (file_) std::fclose(file_);
}

void PngSource::fail(const std::string& what) const {
    throw ToolError("image " + path_ + " " + what + (error_.message[0] ? std::string(" (") + error_.message + ")" : ""));
}

bool PngSource::nextFrame(ImageFrame* frame) {
    if (started_) return false;
    started_ = true;
    const int passes = readHeader(png_, info_, file_);
    if (passes == 0) fail("is not a readable PNG image");
    width_ = png_get_image_width(png_, info_);
    height_ = png_get_image_height(png_, info_);
    depth_ = png_get_bit_depth(png_, info_);
    channels_ = png_get_channels(png_, info_);
    if (uint64_t(width_) * height_ > kMaxPixels)
        fail("is too large (" + std::to_string(width_) + " x " + std::to_string(height_) + " pixels)");
    frame->width = width_;
    frame->height = height_;
    frame->model = channels_ >= 3 ? ColourModel::Rgb : ColourModel::Grey;
    frame->bilevel = false;
    frame->description = std::string(channels_ >= 3 ? "RGB" : "greyscale") + (channels_ % 2 == 0 ? " with alpha" : "") +
                         ", " + std::to_string(depth_) + " bits";
    png_uint_32 x = 0, y = 0;
    int unit = 0;
    frame->xDpi = frame->yDpi = 0;
    if (png_get_pHYs(png_, info_, &x, &y, &unit) && unit == PNG_RESOLUTION_METER) {
        frame->xDpi = x * 0.0254;
        frame->yDpi = y * 0.0254;
    }
    frame->orientation = 1;
    png_uint_32 exifSize = 0;
    png_bytep exif = nullptr;
    if (png_get_eXIf_1(png_, info_, &exifSize, &exif) && exif) frame->orientation = exifOrientation(exif, exifSize);
    png_charp name = nullptr;
    png_bytep profile = nullptr;
    png_uint_32 profileSize = 0;
    int compression = 0;
    frame->iccProfile.clear();
    if (png_get_iCCP(png_, info_, &name, &compression, &profile, &profileSize) && profile)
        frame->iccProfile.assign(profile, profile + profileSize);

    const size_t rowBytes = png_get_rowbytes(png_, info_);
    if (passes == 1) {
        image_.assign(rowBytes, 0);
        return true;
    }
    // Interlaced rows arrive in passes over the whole image, so the image is read at once.
    image_.assign(rowBytes * height_, 0);
    std::vector<png_bytep> rows(height_);
    for (uint32_t r = 0; r < height_; ++r) rows[r] = image_.data() + r * rowBytes;
    if (!readImage(png_, rows.data())) fail("is damaged");
    return true;
}

void PngSource::readRow(uint16_t* out) {
    if (row_ >= height_) fail("was read past its last row");
    png_bytep row = image_.data();
    if (image_.size() > png_get_rowbytes(png_, info_)) row += size_t(row_) * png_get_rowbytes(png_, info_);
    else if (!readRows(png_, &row, 1)) fail("is damaged at row " + std::to_string(row_));
    const int colours = channels_ >= 3 ? 3 : 1;
    const bool alpha = channels_ % 2 == 0;
    for (uint32_t x = 0; x < width_; ++x) {
        const size_t at = size_t(x) * channels_;
        const auto sample = [&](int c) -> uint32_t {
            if (depth_ == 8) return row[at + c] * 257u;
            uint16_t v;
            std::memcpy(&v, row + 2 * (at + c), 2);
            return v;
        };
        for (int c = 0; c < colours; ++c)
            out[size_t(x) * colours + c] = alpha ? lightOnWhite(sample(c), sample(colours)) : uint16_t(sample(c));
    }
    ++row_;
}

void PngSource::readBits(uint8_t*) { fail("has no black-and-white rows"); }
