#pragma once
// The file-format half of ExportBitmap: one open image file that takes its
// rows one at a time, top row first, and is completed by finish().
#include <cstddef>
#include <cstdint>
#include <string_view>

// What the caller asked for; the sink decides how its format stores it.
struct ImageLayout {
    const char* path = nullptr;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    double xResolution = 0.0;   // dots per inch
    double yResolution = 0.0;
    int bitsPerPixel = 0;       // 1, 2 or 8 (one sample) or 32 (four 8-bit samples)
    std::string_view tagList;   // TIFF tag list text; other formats ignore it
};

class ImageBandSink {
public:
    virtual ~ImageBandSink() = default;
    // Bytes of one row as the sink takes it (at the image's own depth, padding included).
    virtual std::size_t rowBytes() const = 0;
    // Appends the next row of rowBytes() bytes; false when the write failed.
    virtual bool writeRow(const unsigned char* row) = 0;
    // Completes and closes the file; false (logged) when it could not be completed.
    virtual bool finish() = 0;
    // Before the first row: makes room in front of the data for the directory to be moved there later.
    // False (logged) when the room could not be written; formats without a directory answer true.
    virtual bool leaveRoomForDirectory() { return true; }
};
