// Fuzzes the raster job reader: the input is a raster job file; ZUJob loads
// it and every line of every plane of a few pages and tiles is read, up to a
// bound of lines per input. Indices out of range and short buffers must be refused.
#include "AGroupImage.h"
#include "FuzzSupport.h"
#include "ZUJob.h"
#include "ZURasterFormat.h"

#include <vector>

namespace {
constexpr int kMaxPagesRead = 4;
constexpr int kMaxTilesRead = 4;
constexpr int kMaxLinesRead = 2048;   // per input, over all images and planes

std::vector<uint8_t> g_line;   // reused: widths up to the format's cap are large

void readImage(AImage& image, int& linesLeft) {
    const int width = image.GetWidth();
    const int height = image.GetHeight();
    const auto& colorants = image.GetColorants();
    const int planes = static_cast<int>(colorants.size());
    for (int plane = 0; plane < planes; ++plane) {
        const int depth = colorants[plane]->GetDepth();
        if (!ZURasterFormat::IsValidDepth(depth)) FuzzFail("image accepted with an invalid depth");
        const size_t bytes = ZURasterFormat::LineBytes(depth, width);
        if (g_line.size() < bytes) g_line.resize(bytes);
        if (height > 0 && bytes > 0 && image.ReadLine(plane, 0, g_line.data(), bytes - 1))
            FuzzFail("line read into a short buffer");
        for (int line = 0; line < height && linesLeft > 0; ++line, --linesLeft)
            image.ReadLine(plane, line, g_line.data(), bytes);
    }
    if (g_line.empty()) g_line.resize(1);
    if (image.ReadLine(-1, 0, g_line.data(), g_line.size()) || image.ReadLine(planes, 0, g_line.data(), g_line.size()) ||
        image.ReadLine(0, -1, g_line.data(), g_line.size()) || image.ReadLine(0, height, g_line.data(), g_line.size()))
        FuzzFail("line read outside the image");
}

void readPage(AImage& page, int& linesLeft) {
    auto* group = dynamic_cast<AGroupImage*>(&page);
    if (!group) {
        readImage(page, linesLeft);
        return;
    }
    const int count = group->GetImageCount();
    if (group->GetImage(-1) || group->GetImage(count)) FuzzFail("tile outside the group");
    for (int i = 0; i < count && i < kMaxTilesRead; ++i) {
        AImage* tile = group->GetImage(i);
        if (!tile) FuzzFail("tile missing inside the group");
        readImage(*tile, linesLeft);
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = WriteFuzzFile("job.zrs", data, size);
    ZUJob job;
    if (!job.Load(path.c_str()) || !job.OpenData(0)) return 0;
    const int pages = job.GetPageCount();
    if (job.GetImage(-1) || job.GetImage(pages)) FuzzFail("page outside the job");
    int linesLeft = kMaxLinesRead;
    for (int page = 0; page < pages && page < kMaxPagesRead; ++page)
        if (AImage* image = job.GetImage(page)) readPage(*image, linesLeft);
    job.Flush();
    return 0;
}
