#include "ZURasterGroupImage.h"

ZURasterGroupImage::ZURasterGroupImage(ZURasterFile& file, const ZURasterPage& page,
                                       const std::vector<AColorant*>& colorants)
    : page_(page), colorants_(colorants) {
    tiles_.reserve(page.images.size());
    for (const ZURasterImageInfo& info : page.images)
        tiles_.push_back(std::make_unique<ZURasterImage>(file, page, info, colorants));
}

AImage* ZURasterGroupImage::GetImage(int index) {
    if (index < 0 || size_t(index) >= tiles_.size()) return nullptr;
    return tiles_[size_t(index)].get();
}
