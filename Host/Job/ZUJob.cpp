#include "ZUJob.h"

#include "ZURasterDirectory.h"
#include "ZURasterFile.h"
#include "ZURasterFormat.h"
#include "ZURasterGroupImage.h"
#include "ZURasterImage.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

using namespace ZURasterFormat;

namespace {

// The objects made for one page: its colorants and its image or tile group.
struct PageObjects {
    std::vector<std::unique_ptr<AColorant>> owned;
    std::vector<AColorant*> colorants;
    std::unique_ptr<AImage> image;
};

}  // namespace

struct ZUJob::Data {
    AString path;
    uint64_t fileSize = 0;
    uint8_t header[kHeaderSize] = {};
    std::vector<ZURasterPage> pages;
    size_t maxPackedSize = 0;         // of any line in the file
    ZURasterFile file;
    std::map<int, PageObjects> made;

    bool ReadTable();
};

bool ZUJob::Data::ReadTable() {
    fileSize = file.Size();
    Header h;
    if (fileSize < kHeaderSize || !file.ReadAt(0, header, kHeaderSize) || !GetHeader(header, h)) return false;
    // The page table ends the file: anything cut off or appended shows here.
    if (h.directoryOffset < kHeaderSize || h.directoryOffset > fileSize || h.directorySize > kMaxDirectorySize ||
        h.directorySize != fileSize - h.directoryOffset)
        return false;
    std::vector<uint8_t> table(static_cast<size_t>(h.directorySize));
    if (!file.ReadAt(h.directoryOffset, table.data(), table.size()) ||
        Crc32(table.data(), table.size()) != h.directoryCrc ||
        !ZURasterDirectory::Parse(table.data(), table.size(), h.pageCount, h.directoryOffset, pages))
        return false;
    for (const ZURasterPage& page : pages)
        for (const ZURasterPlane& plane : page.planes)
            for (const ZURasterImageInfo& image : page.images)
                maxPackedSize = std::max(maxPackedSize, MaxPackedSize(LineBytes(plane.depth, image.width)));
    return true;
}

ZUJob::ZUJob() : d_(std::make_unique<Data>()) {}
ZUJob::~ZUJob() = default;

AString ZUJob::GetFileName(int prefixKind, const char* jobFilePath) {
    if (!jobFilePath || !*jobFilePath || (prefixKind != 0 && prefixKind != 2)) return AString();
    std::string path(jobFilePath);
    if (prefixKind == 2) {
        const size_t slash = path.find_last_of("/\\");
        const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
        const size_t dot = path.rfind('.');
        // A leading dot names a hidden file, not an extension.
        if (dot != std::string::npos && dot > nameStart) path.erase(dot);
    }
    return AString(path + ".zrs");
}

int ZUJob::Load(const char* rasterPath) {
    d_ = std::make_unique<Data>();
    const bool ok = d_->file.Open(rasterPath) && d_->ReadTable();
    d_->file.Close();
    if (!ok) {
        d_ = std::make_unique<Data>();
        return 0;
    }
    d_->path = rasterPath;
    return 1;
}

int ZUJob::OpenData(int mode) {
    if (mode != 0 || d_->path.IsEmpty()) return 0;
    // The file must still be the one Load checked.
    uint8_t header[kHeaderSize];
    if (!d_->file.Open(d_->path.c_str()) || d_->file.Size() != d_->fileSize ||
        !d_->file.ReadAt(0, header, kHeaderSize) || std::memcmp(header, d_->header, kHeaderSize) != 0) {
        d_->file.Close();
        return 0;
    }
    d_->file.PrepareLines(d_->maxPackedSize);
    return 1;
}

int ZUJob::GetPageCount() const { return static_cast<int>(d_->pages.size()); }

AImage* ZUJob::GetImage(int page) {
    if (page < 0 || size_t(page) >= d_->pages.size()) return nullptr;
    auto found = d_->made.find(page);
    if (found != d_->made.end()) return found->second.image.get();
    const ZURasterPage& p = d_->pages[size_t(page)];
    PageObjects objects;
    for (const ZURasterPlane& plane : p.planes) {
        objects.owned.push_back(std::make_unique<AColorant>(plane.name.c_str(), plane.internalName.c_str(), plane.depth));
        objects.colorants.push_back(objects.owned.back().get());
    }
    PageObjects& made = d_->made[page] = std::move(objects);
    if (p.kind == kTiledPage)
        made.image = std::make_unique<ZURasterGroupImage>(d_->file, p, made.colorants);
    else
        made.image = std::make_unique<ZURasterImage>(d_->file, p, p.images.front(), made.colorants);
    return made.image.get();
}

int ZUJob::Flush() {
    d_->made.clear();
    return 1;
}
