#pragma once
// Writes one image as a little-endian TIFF through libtiff: PackBits in one
// strip unless the tag list says otherwise, the strip data, then the
// directory after it. PackBits rows are encoded here (a word at a time) and
// appended to the strip raw. Asked to, a single strip starts after a zeroed
// room the exact size of the directory and its values, into which
// MoveTiffDirectoryToFront later moves them without copying the data. Samples are ink amounts: one-sample images are
// min-is-white (0 = no ink), 32-bit images are four-sample CMYK.
// libtiff's errors and warnings go to the host log through this handle only.
#include "ImageBandSink.h"

#include <memory>
#include <string>
#include <vector>

struct tiff;
class TiffTagList;

class TiffBandSink final : public ImageBandSink {
public:
    // Creates the file and writes its header; null (logged, no file left behind) when it cannot.
    static std::unique_ptr<TiffBandSink> open(const ImageLayout& layout);
    ~TiffBandSink() override;   // closes the file if finish() was not called

    TiffBandSink(const TiffBandSink&) = delete;
    TiffBandSink& operator=(const TiffBandSink&) = delete;

    std::size_t rowBytes() const override { return rowBytes_; }
    bool writeRow(const unsigned char* row) override;
    bool finish() override;
    bool leaveRoomForDirectory() override;

    // libtiff's per-handle message callback: logs the message with the file's path.
    static int logMessage(tiff* tif, void* sink, const char* module, const char* format, va_list args);

private:
    explicit TiffBandSink(const ImageLayout& layout);
    bool create();
    // Sets the fields of layout and tags on tif (the file, or a probe); report: log what is ignored.
    bool describe(tiff* tif, const ImageLayout& layout, const TiffTagList& tags, bool report);
    void applyTagList(tiff* tif, const TiffTagList& tags, bool report);
    // Row size, strips and encode buffer once the fields are set; false when the file cannot take rows.
    bool prepareStrips(const ImageLayout& layout, const TiffTagList& tags);
    bool reserveDirectory(const ImageLayout& layout, const TiffTagList& tags);
    bool flushStrip();   // appends the encoded rows to their strip
    void close();

    std::string path_;
    tiff* tif_ = nullptr;
    std::size_t rowBytes_ = 0;
    std::uint32_t nextRow_ = 0;
    std::uint32_t rowsPerStrip_ = 1;
    std::vector<unsigned char> packed_;   // encoded rows not yet in the file; empty: libtiff encodes
    std::vector<unsigned char> scratch_;  // the row libtiff encodes, sized by the first row
    std::size_t used_ = 0;
    ImageLayout layout_;                  // with tags_: a PackBits image of one strip, room possible
    std::unique_ptr<TiffTagList> tags_;
};
