#include "EngineTestJob.h"

#include "TempBaseFolder.h"
#include "ZUJob.h"
#include "ZURasterWriter.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {
constexpr size_t kHeaderSize = 3940;
}

EngineTestJob::EngineTestJob(const std::filesystem::path& folder) : jobFile_(folder / "job.zuj") {
    std::strncpy(request.jobFilePath, jobFile_.c_str(), sizeof request.jobFilePath - 1);
    std::strcpy(request.thumbnailPath, "thumb.bmp");
    request.portCode = 256;
    request.portContext = 77;
}

void EngineTestJob::writeHeader(double xResolution, double yResolution, int colorMode) {
    std::vector<unsigned char> header(kHeaderSize, 0);
    const float x = static_cast<float>(xResolution), y = static_cast<float>(yResolution);
    std::memcpy(&header[712], &x, 4);
    std::memcpy(&header[716], &y, 4);
    const int16_t mode = static_cast<int16_t>(colorMode);
    std::memcpy(&header[3834], &mode, 2);
    std::strcpy(reinterpret_cast<char*>(&header[584]), "Test Model");
    std::strcpy(reinterpret_cast<char*>(&header[264]), "C:\\Docs\\plan.pdf");
    writeBytes(jobFile_, header);
}

std::vector<uint8_t> EngineTestJob::lineBytes(int page, int plane, int line, int depth, int width) {
    const size_t bits = static_cast<size_t>(depth) * static_cast<size_t>(width);
    std::vector<uint8_t> bytes((bits + 7) / 8);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(page * 37 + plane * 11 + line * 5 + i * 3 + 1);
    if (bits % 8) bytes.back() &= static_cast<uint8_t>(0xFF << (8 - bits % 8));
    return bytes;
}

void EngineTestJob::writeRaster(const std::vector<TestPage>& pages) {
    ZURasterWriter writer;
    const AString path = ZUJob::GetFileName(2, jobFile_.c_str());
    ASSERT_TRUE(writer.Create(path)) << writer.GetError().c_str();
    for (size_t p = 0; p < pages.size(); ++p) {
        const TestPage& page = pages[p];
        ASSERT_TRUE(writer.BeginPage(page.width, page.height)) << writer.GetError().c_str();
        for (const TestPlane& plane : page.planes)
            ASSERT_TRUE(writer.AddPlane(plane.name.c_str(), plane.name.c_str(), plane.depth)) << writer.GetError().c_str();
        for (size_t k = 0; k < page.planes.size(); ++k) {
            for (int line = 0; line < page.height; ++line) {
                const auto bytes = lineBytes(static_cast<int>(p), static_cast<int>(k), line, page.planes[k].depth, page.width);
                ASSERT_TRUE(writer.WriteLine(static_cast<int>(k), line, bytes.data(), bytes.size()));
            }
        }
        ASSERT_TRUE(writer.EndPage()) << writer.GetError().c_str();
    }
    ASSERT_TRUE(writer.Finish()) << writer.GetError().c_str();
}
