#pragma once
// The image of a tiled page: its tiles, each a ZURasterImage with the page's
// planes. The group itself has the page's size but no lines of its own.
#include "AGroupImage.h"
#include "ZURasterImage.h"

#include <memory>

class ZURasterGroupImage : public AGroupImage {
public:
    // `file`, `page` and `colorants` belong to the job and outlive the group.
    ZURasterGroupImage(ZURasterFile& file, const ZURasterPage& page, const std::vector<AColorant*>& colorants);

    int GetWidth() const override { return page_.width; }
    int GetHeight() const override { return page_.height; }
    const std::vector<AColorant*>& GetColorants() const override { return colorants_; }
    int ReadLine(int, int, uint8_t*, size_t) override { return 0; }   // lines belong to the tiles
    int GetImageCount() const override { return static_cast<int>(tiles_.size()); }
    AImage* GetImage(int index) override;

private:
    const ZURasterPage& page_;
    const std::vector<AColorant*>& colorants_;
    std::vector<std::unique_ptr<ZURasterImage>> tiles_;
};
