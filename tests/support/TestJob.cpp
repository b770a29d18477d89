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
    writeRaster();
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

void TestJob::writeRaster() const {
    ZURasterWriter writer;
    ASSERT_TRUE(writer.Create(ZUJob::GetFileName(2, jobFile_.c_str()))) << writer.GetError().c_str();
    for (size_t p = 0; p < pages.size(); ++p) {
        const TestPage& page = pages[p];
        const bool tiled = !page.tiles.empty();
        ASSERT_TRUE(tiled ? writer.BeginTiledPage(page.width, page.height) : writer.BeginPage(page.width, page.height))
            << writer.GetError().c_str();
        for (const TestPlane& plane : page.planes)
            ASSERT_TRUE(writer.AddPlane(plane.name.c_str(), plane.name.c_str(), plane.depth)) << writer.GetError().c_str();
        const std::vector<TestTile> images = tiled ? page.tiles : std::vector<TestTile>{{page.width, page.height}};
        for (size_t t = 0; t < images.size(); ++t) {
            if (tiled) {
                ASSERT_TRUE(writer.BeginTile(images[t].width, images[t].height)) << writer.GetError().c_str();
            }
            for (size_t k = 0; k < page.planes.size(); ++k)
                for (int line = 0; line < images[t].height; ++line) {
                    const int pg = static_cast<int>(p), plane = static_cast<int>(k), depth = page.planes[k].depth;
                    const auto bytes = tiled ? tileLines(pg, static_cast<int>(t), plane, line, depth, images[t].width)
                                             : lines(pg, plane, line, depth, images[t].width);
                    ASSERT_TRUE(writer.WriteLine(plane, line, bytes.data(), bytes.size()));
                }
        }
        ASSERT_TRUE(writer.EndPage()) << writer.GetError().c_str();
    }
    ASSERT_TRUE(writer.Finish()) << writer.GetError().c_str();
}
