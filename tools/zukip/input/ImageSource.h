#pragma once
// An image file read page by page and row by row, whatever its format: the
// readers hand out each row in one of three colour models with 16-bit
// samples (or packed bits for black-and-white pages), alpha already
// composited on white, so that the rest of zukip never sees formats.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum class ColourModel {
    Grey,   // one sample: light, 0 = black
    Rgb,    // three samples: light
    Cmyk,   // four samples: ink, 65535 = full ink
    Lab,    // three samples: CIELAB (D50) as LittleCMS encodes it in 16 bits (L 0 to 100 over 0 to 65535,
            // a and b -128 to 127 with 0 at 32896)
};

// One page of an image as stored in the file.
struct ImageFrame {
    uint32_t width = 0;
    uint32_t height = 0;
    double xDpi = 0;                  // 0 when the file does not say
    double yDpi = 0;
    int orientation = 1;              // TIFF/Exif orientation, 1 to 8 (1: rows top down, left to right)
    ColourModel model = ColourModel::Grey;
    bool bilevel = false;             // rows come as packed bits, set = ink (model Grey)
    std::vector<uint8_t> iccProfile;  // the colour profile embedded in the file, may be empty
    std::string description;          // for messages, for example "RGB, 16 bits"

    int channels() const { return model == ColourModel::Grey ? 1 : model == ColourModel::Cmyk ? 4 : 3; }
};

// A light value (0 = black) of a pixel with coverage alpha (both 0 to 65535) laid on white paper.
inline uint16_t lightOnWhite(uint32_t light, uint32_t alpha) {
    return uint16_t((light * alpha + 65535u * (65535u - alpha) + 32767u) / 65535u);
}

// The orientation stored in an Exif block (the bytes after "Exif\0\0": a TIFF header and its first
// directory); 1 when it holds none or is damaged.
int exifOrientation(const uint8_t* data, size_t size);

class ImageSource {
public:
    // Largest page accepted, in pixels, so that a hostile header cannot make zukip allocate without bound.
    static constexpr uint64_t kMaxPixels = uint64_t(1) << 30;

    virtual ~ImageSource() = default;
    // Opens a TIFF, PNG or JPEG image; throws ToolError naming the file when it is missing, of another
    // kind, or unreadable.
    static std::unique_ptr<ImageSource> open(const std::string& path);

    // Moves to the next page (the first on the first call) and describes it; false after the last page.
    // Throws ToolError for a page zukip cannot read.
    virtual bool nextFrame(ImageFrame* frame) = 0;
    // The next row of the current page, top row first: width * channels() samples, or for a bilevel
    // page (width + 7) / 8 bytes of packed bits. Throws ToolError when the file is damaged.
    virtual void readRow(uint16_t* samples) = 0;
    virtual void readBits(uint8_t* bits) = 0;
};
