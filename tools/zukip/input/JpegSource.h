#pragma once
// JPEG images through libjpeg: greyscale, colour (as RGB) and CMYK
// (Adobe's inverted CMYK undone); density, Exif orientation and embedded
// profile are reported.
#include "ImageSource.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

class JpegSource : public ImageSource {
public:
    // Opens path; throws ToolError when it cannot be read.
    explicit JpegSource(const std::string& path);
    ~JpegSource() override;
    JpegSource(const JpegSource&) = delete;
    JpegSource& operator=(const JpegSource&) = delete;

    bool nextFrame(ImageFrame* frame) override;
    void readRow(uint16_t* samples) override;
    void readBits(uint8_t* bits) override;

    // libjpeg's error manager with the jump back into the call that failed and its message.
    struct ErrorState {
        jpeg_error_mgr manager;
        std::jmp_buf jump;
        char message[JMSG_LENGTH_MAX];
    };

private:
    [[noreturn]] void fail(const std::string& what) const;

    std::string path_;
    std::FILE* file_ = nullptr;
    jpeg_decompress_struct jpeg_{};
    ErrorState error_{};
    bool started_ = false;
    bool invertedInk_ = false;
    std::vector<uint8_t> row_;
};
