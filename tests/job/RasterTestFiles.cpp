#include "RasterTestFiles.h"

#include "AGroupImage.h"
#include "ZURasterFormat.h"

#include <gtest/gtest.h>

#include <random>

namespace {

size_t LineBytes(int depth, int width) { return (size_t(depth) * size_t(width) + 7) / 8; }

// The bytes of line `line` of plane `plane` of image `image` (page * 1000 + tile).
std::vector<uint8_t> PatternLine(int image, int plane, int line, size_t bytes) {
    std::minstd_rand rng(uint32_t(image) * 7919u + uint32_t(plane) * 104729u + uint32_t(line) * 31u + 1u);
    std::vector<uint8_t> data(bytes);
    // Stretches of 16 bytes: noise, a run of one value, or no ink.
    uint32_t kind = 0;
    for (size_t i = 0; i < bytes; ++i) {
        if (i % 16 == 0) kind = rng() % 3;
        data[i] = kind == 0 ? uint8_t(rng()) : kind == 1 ? uint8_t(i / 16 + line) : 0;
    }
    // Keeps lines of a small job distinct from each other.
    data[0] = uint8_t(line * 16 + plane * 4 + image % 4);
    return data;
}

std::vector<AImage*> Images(AImage* page) {
    if (!page) return {};
    if (auto* group = dynamic_cast<AGroupImage*>(page)) {
        std::vector<AImage*> tiles;
        for (int t = 0; t < group->GetImageCount(); ++t) tiles.push_back(group->GetImage(t));
        return tiles;
    }
    return {page};
}

unsigned PadBits(int depth, int width) {
    return unsigned(LineBytes(depth, width) * 8 - size_t(depth) * size_t(width));
}

// Clears the bits past the width, as the writer stores them.
std::vector<uint8_t> StoredLine(int image, int plane, int line, int depth, int width) {
    std::vector<uint8_t> data = PatternLine(image, plane, line, LineBytes(depth, width));
    data.back() &= uint8_t(0xFF << PadBits(depth, width));
    return data;
}

}  // namespace

void WritePatternJob(const std::filesystem::path& path, const std::vector<TestPage>& pages, bool interleaved) {
    writeRasterFile(
        path, pages,
        [](int page, int tile, int plane, int line, int depth, int width) {
            std::vector<uint8_t> data = PatternLine(page * 1000 + tile, plane, line, LineBytes(depth, width));
            // Garbage in the padding bits must not reach the file.
            data.back() |= uint8_t(~(0xFF << PadBits(depth, width)));
            return data;
        },
        interleaved);
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
                const std::vector<uint8_t> expected = StoredLine(int(p) * 1000 + int(t), plane, line,
                                                                 pages[p].planes[size_t(plane)].depth, sizes[t].width);
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

uint64_t DirectoryOffset(const std::vector<unsigned char>& bytes) { return ZURasterFormat::Get64(bytes.data() + 16); }

void Reseal(std::vector<unsigned char>& bytes) {
    using namespace ZURasterFormat;
    const uint64_t dir = std::min<uint64_t>(DirectoryOffset(bytes), bytes.size());
    Put32(bytes.data() + 32, Crc32(bytes.data() + dir, bytes.size() - dir));
    Put32(bytes.data() + 36, Crc32(bytes.data(), 36));
}
