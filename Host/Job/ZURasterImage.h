#pragma once
// One image of a raster job file: the image of a plain page or one tile of
// a tiled page. Its lines are read on demand from the job's open file.
#include "AImage.h"
#include "ZURasterDirectory.h"
#include "ZURasterFile.h"

class ZURasterImage : public AImage {
public:
    // `file`, `page`, `info` and `colorants` belong to the job and outlive the image.
    ZURasterImage(ZURasterFile& file, const ZURasterPage& page, const ZURasterImageInfo& info,
                  const std::vector<AColorant*>& colorants)
        : file_(file), page_(page), info_(info), colorants_(colorants) {}

    int GetWidth() const override { return info_.width; }
    int GetHeight() const override { return info_.height; }
    const std::vector<AColorant*>& GetColorants() const override { return colorants_; }
    // 1 with the line in buffer; 0 for an index out of range, a short buffer, data not
    // opened, or a line that is missing or corrupt in the file.
    int ReadLine(int plane, int line, uint8_t* buffer, size_t bufferSize) override;

private:
    ZURasterFile& file_;
    const ZURasterPage& page_;
    const ZURasterImageInfo& info_;
    const std::vector<AColorant*>& colorants_;
};
