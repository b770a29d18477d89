#include "RasterTestFiles.h"

#include "AGroupImage.h"

#include <gtest/gtest.h>

namespace {
// The page's image, or its tiles.
std::vector<AImage*> Images(AImage* page) {
    auto* group = dynamic_cast<AGroupImage*>(page);
    if (!group) return {page};
    std::vector<AImage*> tiles;
    for (int t = 0; t < group->GetImageCount(); ++t) tiles.push_back(group->GetImage(t));
    return tiles;
}
}  // namespace

void WritePatternJob(const std::filesystem::path& path, const std::vector<TestPage>& pages, bool interleaved) {
    const auto garbled = [](int page, int tile, int plane, int line, int depth, int width) {
        std::vector<uint8_t> data = TestJob::patternTileLine(page, tile, plane, line, depth, width);
        // Garbage in the padding bits must not reach the file.
        if (depth * width % 8) data.back() |= uint8_t(0xFF >> (depth * width % 8));
        return data;
    };
    writeRasterFile(path, pages, garbled, interleaved);
}

std::vector<TestPage> SmallJob() {
    return {
        {21, 5, {{"Cyan", 2, "C"}, {"Black", 8, "K"}, {"Gloss", 1, "G"}}},
        {30, 7, {{"Magenta", 8, "M"}, {"Yellow", 1, "Y"}}, {{13, 4}, {17, 3}}},
    };
}

bool JobMatchesPattern(ZUJob& job, const std::vector<TestPage>& pages, bool lineMajor) {
    if (job.GetPageCount() != int(pages.size())) return false;
    std::vector<uint8_t> buffer(1 << 20);
    for (size_t p = 0; p < pages.size(); ++p) {
        const std::vector<AImage*> images = Images(job.GetImage(int(p)));
        const std::vector<TestTile> sizes = imagesOf(pages[p]);
        if (images.size() != sizes.size()) return false;
        const int planes = int(pages[p].planes.size());
        for (size_t t = 0; t < images.size(); ++t) {
            const int lines = sizes[t].height;
            for (int k = 0; k < planes * lines; ++k) {
                const int plane = lineMajor ? k % planes : k / lines;
                const int line = lineMajor ? k / planes : k % lines;
                const std::vector<uint8_t> expected = TestJob::patternTileLine(
                    int(p), int(t), plane, line, pages[p].planes[size_t(plane)].depth, sizes[t].width);
                if (images[t]->ReadLine(plane, line, buffer.data(), expected.size()) != 1 ||
                    !std::equal(expected.begin(), expected.end(), buffer.begin()))
                    return false;
            }
        }
    }
    return true;
}

int ReadEveryLine(ZUJob& job) {
    int good = 0;
    std::vector<uint8_t> buffer(1 << 20);
    for (int p = 0; p < job.GetPageCount(); ++p)
        for (AImage* image : Images(job.GetImage(p)))
            for (size_t plane = 0; plane < image->GetColorants().size(); ++plane)
                for (int line = 0; line < image->GetHeight(); ++line)
                    good += image->ReadLine(int(plane), line, buffer.data(), buffer.size());
    return good;
}
