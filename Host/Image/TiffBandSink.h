#pragma once
// Writes one image as a little-endian TIFF through libtiff: PackBits in one
// strip unless the tag list says otherwise, strip data from offset 8 and the
// directory after it. Samples are ink amounts: one-sample images are
// min-is-white (0 = no ink), 32-bit images are four-sample CMYK.
// libtiff's errors and warnings go to the host log through this handle only.
#include "ImageBandSink.h"

#include <memory>
#include <string>

struct tiff;

class TiffBandSink final : public ImageBandSink {
public:
    // Creates the file and writes its header; null (logged, no file left behind) when it cannot.
    static std::unique_ptr<TiffBandSink> open(const ImageLayout& layout);
    ~TiffBandSink() override;   // closes the file if finish() was not called

    TiffBandSink(const TiffBandSink&) = delete;
    TiffBandSink& operator=(const TiffBandSink&) = delete;

    std::size_t rowBytes() const override { return rowBytes_; }
    bool writeRow(unsigned char* row) override;
    bool finish() override;

    // libtiff's per-handle message callback: logs the message with the file's path.
    static int logMessage(tiff* tif, void* sink, const char* module, const char* format, va_list args);

private:
    explicit TiffBandSink(const ImageLayout& layout);
    bool create();
    bool describe(const ImageLayout& layout);
    void applyTagList(std::string_view tagList);
    void close();

    std::string path_;
    tiff* tif_ = nullptr;
    std::size_t rowBytes_ = 0;
    std::uint32_t nextRow_ = 0;
};
