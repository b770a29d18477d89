// Reads a job back: its header, and its raster file page by page, plane by plane.
#include "RasterReadBack.h"

#include "TempBaseFolder.h"
#include "ZUJob.h"

#include <gtest/gtest.h>

#include <cstring>

namespace fs = std::filesystem;

// Every page of the job's raster file, read with ZUJob as the driver reads it.
std::vector<PageData> readRaster(const fs::path& job) {
    std::vector<PageData> pages;
    ZUJob reader;
    const std::string raster = ZUJob::GetFileName(2, job.c_str()).c_str();
    EXPECT_TRUE(reader.Load(raster.c_str())) << raster;
    EXPECT_TRUE(reader.OpenData());
    for (int p = 0; p < reader.GetPageCount(); ++p) {
        AImage* image = reader.GetImage(p);
        if (!image) {
            ADD_FAILURE() << "page " << p;
            break;
        }
        PageData page{image->GetWidth(), image->GetHeight(), {}};
        for (size_t c = 0; c < image->GetColorants().size(); ++c) {
            const AColorant* colorant = image->GetColorants()[c];
            PlaneData plane{colorant->GetName().c_str(), colorant->GetInternalName().c_str(), colorant->GetDepth(), {}};
            const size_t bytes = (size_t(plane.depth) * page.width + 7) / 8;
            for (int y = 0; y < page.height; ++y) {
                std::vector<uint8_t> row(bytes);
                EXPECT_TRUE(image->ReadLine(int(c), y, row.data(), row.size()));
                plane.rows.push_back(row);
            }
            page.planes.push_back(plane);
        }
        pages.push_back(page);
    }
    return pages;
}


JobHeaderLayout readHeader(const fs::path& job) {
    const std::vector<unsigned char> bytes = readBytes(job);
    JobHeaderLayout header{};
    EXPECT_EQ(bytes.size(), kJobHeaderSize);
    if (bytes.size() == kJobHeaderSize) std::memcpy(&header, bytes.data(), kJobHeaderSize);
    return header;
}
