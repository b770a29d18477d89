// Reads JPEG images row by row. libjpeg reports errors through its error
// manager, which jumps back into the small function that made the call; those
// functions hold no C++ object while the jump may happen.
#include "JpegSource.h"

#include "ToolError.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

void onError(j_common_ptr info) {
    auto* state = reinterpret_cast<JpegSource::ErrorState*>(info->err);
    info->err->format_message(info, state->message);
    std::longjmp(state->jump, 1);
}

// Warnings (a file cut short, for one) are counted and their text kept; readRow refuses damaged data.
void onMessage(j_common_ptr info, int level) {
    if (level >= 0) return;
    auto* state = reinterpret_cast<JpegSource::ErrorState*>(info->err);
    if (info->err->num_warnings++ == 0) info->err->format_message(info, state->message);
}

bool readHeader(jpeg_decompress_struct* jpeg, JpegSource::ErrorState* error) {
    if (setjmp(error->jump)) return false;
    jpeg_save_markers(jpeg, JPEG_APP0 + 1, 0xFFFF);
    jpeg_save_markers(jpeg, JPEG_APP0 + 2, 0xFFFF);
    jpeg_read_header(jpeg, TRUE);
    if (jpeg->jpeg_color_space == JCS_YCCK || jpeg->jpeg_color_space == JCS_CMYK) jpeg->out_color_space = JCS_CMYK;
    else if (jpeg->num_components != 1) jpeg->out_color_space = JCS_RGB;
    jpeg_start_decompress(jpeg);
    return true;
}

bool readProfile(jpeg_decompress_struct* jpeg, JpegSource::ErrorState* error, JOCTET** data, unsigned* size) {
    if (setjmp(error->jump)) return false;
    return jpeg_read_icc_profile(jpeg, data, size);
}

bool readScanline(jpeg_decompress_struct* jpeg, JpegSource::ErrorState* error, JSAMPROW row) {
    if (setjmp(error->jump)) return false;
    return jpeg_read_scanlines(jpeg, &row, 1) == 1;
}

}  // namespace

JpegSource::JpegSource(const std::string& path) : path_(path) {
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_) throw ToolError("cannot read image " + path + ": " + std::strerror(errno));
    jpeg_.err = jpeg_std_error(&error_.manager);
    error_.manager.error_exit = onError;
    error_.manager.emit_message = onMessage;
    jpeg_create_decompress(&jpeg_);
    jpeg_stdio_src(&jpeg_, file_);
}

JpegSource::~JpegSource() {
    jpeg_destroy_decompress(&jpeg_);
    std::fclose(file_);
}

void JpegSource::fail(const std::string& what) const {
    throw ToolError("image " + path_ + " " + what + (error_.message[0] ? std::string(" (") + error_.message + ")" : ""));
}

bool JpegSource::nextFrame(ImageFrame* frame) {
    if (started_) return false;
    started_ = true;
    if (!readHeader(&jpeg_, &error_)) fail("is not a readable JPEG image");
    if (uint64_t(jpeg_.output_width) * jpeg_.output_height > kMaxPixels)
        fail("is too large (" + std::to_string(jpeg_.output_width) + " x " + std::to_string(jpeg_.output_height) +
             " pixels)");
    frame->width = jpeg_.output_width;
    frame->height = jpeg_.output_height;
    frame->bilevel = false;
    frame->model = jpeg_.out_color_space == JCS_CMYK ? ColourModel::Cmyk
                   : jpeg_.output_components == 1    ? ColourModel::Grey
                                                     : ColourModel::Rgb;
    frame->description = std::string(frame->model == ColourModel::Cmyk ? "CMYK" : frame->model == ColourModel::Rgb ? "colour" : "greyscale") +
                         " JPEG";
    // Adobe's applications write CMYK JPEGs with every value inverted (0 = full ink).
    invertedInk_ = frame->model == ColourModel::Cmyk && jpeg_.saw_Adobe_marker;
    const double perInch = jpeg_.density_unit == 1 ? 1.0 : jpeg_.density_unit == 2 ? 2.54 : 0.0;
    frame->xDpi = jpeg_.X_density * perInch;
    frame->yDpi = jpeg_.Y_density * perInch;
    frame->orientation = 1;
    for (jpeg_saved_marker_ptr m = jpeg_.marker_list; m; m = m->next)
        if (m->marker == JPEG_APP0 + 1 && m->data_length > 6 && std::memcmp(m->data, "Exif\0\0", 6) == 0)
            frame->orientation = exifOrientation(m->data + 6, m->data_length - 6);
    JOCTET* profile = nullptr;
    unsigned profileSize = 0;
    frame->iccProfile.clear();
    if (readProfile(&jpeg_, &error_, &profile, &profileSize) && profile)
        frame->iccProfile.assign(profile, profile + profileSize);
    std::free(profile);
    row_.assign(size_t(jpeg_.output_width) * jpeg_.output_components, 0);
    return true;
}

void JpegSource::readRow(uint16_t* out) {
    if (!readScanline(&jpeg_, &error_, row_.data()) || error_.manager.num_warnings > 0)
        fail("is damaged at row " + std::to_string(jpeg_.output_scanline));
    for (size_t i = 0; i < row_.size(); ++i) out[i] = uint16_t((invertedInk_ ? 255 - row_[i] : row_[i]) * 257);
}

void JpegSource::readBits(uint8_t*) { fail("has no black-and-white rows"); }
