#include "TestJob.h"

#include "ZUJob.h"
#include "ZURasterWriter.h"

#include <gtest/gtest.h>

#include <cstring>

DriverOptions filledOptions(uint8_t value) {
    DriverOptions block;
    std::memset(&block, value, sizeof block);
    return block;
}

TestJob::TestJob(const std::filesystem::path& folder, const std::string& fileName) : jobFile_(folder / fileName) {
    SetJobHeaderText(header.jobName, "C:\\Docs\\plan.pdf");
    SetJobHeaderText(header.modelName, "Test Model");
    SetJobHeaderText(header.jobText3, "Anna");
    header.xResolution = 300;
    header.yResolution = 300;
    header.pageWidth = 36;
    header.pageHeight = 48;
    header.widthDpi = 300;
    options().optionsVersion = kOptionsVersion;
    options().copies = 2;

    std::strncpy(request.jobFilePath, jobFile_.c_str(), sizeof request.jobFilePath - 1);
    request.portCode = 256;
    request.mediaId = 1;
}

void TestJob::write(const std::vector<TestPage>& jobPages) {
    pages = jobPages;
    writeHeader();
    writeRasterFile(ZUJob::GetFileName(2, jobFile_.c_str()).c_str(), pages,
                    [this](int page, int tile, int plane, int line, int, int) { return writtenLine(page, tile, plane, line); });
}

void TestJob::writeHeader() const {
    ASSERT_TRUE(WriteJobHeaderFile(jobFile_.c_str(), header)) << jobFile_;
}

std::vector<uint8_t> TestJob::patternLine(int page, int plane, int line, int depth, int width) {
    const size_t bits = static_cast<size_t>(depth) * static_cast<size_t>(width);
    std::vector<uint8_t> bytes((bits + 7) / 8);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(page * 37 + plane * 71 + line * 13 + i * 7 + 3);
    if (bits % 8) bytes.back() &= static_cast<uint8_t>(0xFF << (8 - bits % 8));
    return bytes;
}

std::vector<uint8_t> TestJob::patternTileLine(int page, int tile, int plane, int line, int depth, int width) {
    return patternLine(page * 8 + tile + 1, plane, line, depth, width);
}

std::vector<uint8_t> TestJob::writtenLine(int page, int tile, int plane, int line) const {
    const TestPage& p = pages[static_cast<size_t>(page)];
    const int depth = p.planes[static_cast<size_t>(plane)].depth;
    const int width = imagesOf(p)[static_cast<size_t>(tile)].width;
    return p.tiles.empty() ? lines(page, plane, line, depth, width) : patternTileLine(page, tile, plane, line, depth, width);
}

std::vector<TestTile> imagesOf(const TestPage& page) {
    return page.tiles.empty() ? std::vector<TestTile>{{page.width, page.height}} : page.tiles;
}

void writeRasterFile(const std::filesystem::path& path, const std::vector<TestPage>& pages, const TileLineMaker& lines,
                     bool interleaved) {
    ZURasterWriter writer;
    ASSERT_TRUE(writer.Create(path.c_str())) << writer.GetError().c_str();
    for (size_t p = 0; p < pages.size(); ++p) {
        const TestPage& page = pages[p];
        const bool tiled = !page.tiles.empty();
        ASSERT_TRUE(tiled ? writer.BeginTiledPage(page.width, page.height) : writer.BeginPage(page.width, page.height))
            << writer.GetError().c_str();
        for (const TestPlane& plane : page.planes) {
            const std::string& internal = plane.internalName.empty() ? plane.name : plane.internalName;
            ASSERT_TRUE(writer.AddPlane(plane.name.c_str(), internal.c_str(), plane.depth)) << writer.GetError().c_str();
        }
        const std::vector<TestTile> images = imagesOf(page);
        for (size_t t = 0; t < images.size(); ++t) {
            if (tiled) {
                ASSERT_TRUE(writer.BeginTile(images[t].width, images[t].height)) << writer.GetError().c_str();
            }
            const int planes = static_cast<int>(page.planes.size()), height = images[t].height;
            for (int k = 0; k < planes * height; ++k) {
                const int plane = interleaved ? k % planes : k / height;
                const int line = interleaved ? k / planes : k % height;
                const auto bytes = lines(static_cast<int>(p), static_cast<int>(t), plane, line,
                                         page.planes[static_cast<size_t>(plane)].depth, images[t].width);
                ASSERT_TRUE(writer.WriteLine(plane, line, bytes.data(), bytes.size())) << writer.GetError().c_str();
            }
        }
        ASSERT_TRUE(writer.EndPage()) << writer.GetError().c_str();
    }
    ASSERT_TRUE(writer.Finish()) << writer.GetError().c_str();
}
