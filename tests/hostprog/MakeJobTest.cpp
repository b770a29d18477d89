// make-job through the built program: the job header, the raster file and the
// thumbnail it writes, read back with the driver's header layout, the host job
// library and a BMP reader of our own.
#include "HostProgramFixture.h"
#include "ImageReadBack.h"

namespace fs = std::filesystem;

namespace {

double inkShare(const PlaneData& plane, int width) {
    double set = 0;
    for (const auto& row : plane.rows)
        for (int x = 0; x < width; ++x) set += (row[x / 8] >> (7 - x % 8)) & 1;
    return set / (double(width) * plane.rows.size());
}

class MakeJob : public HostProgramTest {};

}  // namespace

// The raster planes are checked for every kind of image in ImageInputTest.cpp.
TEST_F(MakeJob, CmykTiffGivesHeaderFieldsAndThumbnail) {
    std::vector<uint8_t> cyan(300 * 100 * 4, 0);
    for (size_t i = 0; i < cyan.size(); i += 4) cyan[i] = 255;
    writeTiff(work() / "in.tif", {{300, 100, 4, 8, PHOTOMETRIC_SEPARATED, cyan}});
    const ProgramRun run = zukip("make-job", {"-c", "cmyk (8 BITS)", "-r", "600x1200", "-d", "My Plan.pdf",
                                              "--sender", "alice", "--option=copies=3", "-O", "invert=on", "-o",
                                              "job.job", "in.tif"});
    ASSERT_EQ(run.status, 0) << run.err;
    const JobHeaderLayout header = readHeader(work() / "job.job");
    EXPECT_STREQ(header.modelName, "KIP 870 Color");
    EXPECT_STREQ(header.jobName, "My Plan.pdf");
    EXPECT_STREQ(header.jobText3, "alice");
    EXPECT_EQ(header.xResolution, 600.0f);
    EXPECT_EQ(header.yResolution, 1200.0f);
    EXPECT_DOUBLE_EQ(header.pageWidth, 300.0 / 600);
    EXPECT_DOUBLE_EQ(header.pageHeight, 100.0 / 1200);
    EXPECT_EQ(header.widthDpi, 600);
    EXPECT_EQ(header.heightWord, 1200);
    EXPECT_EQ(header.colorMode, 1);
    EXPECT_EQ(header.options[3], 1);    // invert
    EXPECT_EQ(header.options[4], 3);    // copies

    // The thumbnail: a 24-bit BMP scaled to 128 pixels on the longest side, its inks mixed subtractively.
    const ReadImage thumbnail = readBmp(work() / "job.job.thumb.bmp");
    EXPECT_EQ(thumbnail.width, 128u);
    EXPECT_EQ(thumbnail.height, 42u);
    EXPECT_EQ(thumbnail.bitsPerSample, 24u);
    ASSERT_EQ(thumbnail.rows.size(), 42u);
    EXPECT_EQ(thumbnail.rows[0][0], 255);   // blue
    EXPECT_EQ(thumbnail.rows[0][1], 255);   // green
    EXPECT_EQ(thumbnail.rows[0][2], 0);     // red: cyan ink absorbs it
    for (const std::string& name : listTree(work())) EXPECT_EQ(name.find(".part"), std::string::npos) << name;
}

TEST_F(MakeJob, HalftoningKeepsTheInkShareAndAnOptionsTextGivesTheWholeBlock) {
    writeTiff(work() / "in.tif", {{64, 64, 4, 8, PHOTOMETRIC_SEPARATED, std::vector<uint8_t>(64 * 64 * 4, 200)}});

    ASSERT_EQ(zukip("make-job", {"--halftone", "-o", "b.job", "in.tif"}).status, 0);
    EXPECT_EQ(readHeader(work() / "b.job").colorMode, 0);   // the first mode that takes the planes at 1 bit
    const std::vector<PageData> pages = readRaster(work() / "b.job");
    ASSERT_EQ(pages.size(), 1u);
    for (const PlaneData& plane : pages[0].planes) {
        ASSERT_EQ(plane.depth, 1);
        EXPECT_NEAR(inkShare(plane, 64), 200 / 255.0, 1.0 / 256);
    }

    // Version 20, BMP, invert, 9 copies, byte 199 = 0xAB, in lower case; -O applies on top.
    const std::string text = "DriverOptionBinary=1401000109" + std::string(388, '0') + "ab";
    const ProgramRun run = zukip("make-job", {"--options-text", text, "-O", "copies=4", "-o", "c.job", "in.tif"});
    ASSERT_EQ(run.status, 0) << run.err;
    const JobHeaderLayout header = readHeader(work() / "c.job");
    const uint8_t expected[] = {20, 1, 0, 1, 4};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(header.options[i], expected[i]) << i;
    EXPECT_EQ(header.options[199], 0xAB);
}

TEST_F(MakeJob, OneBilevelTiffPerSeparationKeepsEveryBit) {
    // 13 pixels: the last byte of each row has 3 padding bits, set in the input.
    const std::vector<uint8_t> cyan = {0xA5, 0xFF, 0x0F, 0xF0}, black = {0xFF, 0xFF, 0x00, 0x07};
    writeTiff(work() / "c.tif", {{13, 2, 1, 1, PHOTOMETRIC_MINISWHITE, cyan}});
    writeTiff(work() / "k.tif", {{13, 2, 1, 1, PHOTOMETRIC_MINISBLACK, black}});
    // A greyscale separation beside them is halftoned: full ink everywhere.
    writeTiff(work() / "full.tif", {{13, 2, 1, 8, PHOTOMETRIC_MINISWHITE, std::vector<uint8_t>(26, 255)}});
    const ProgramRun run = zukip("make-job", {"--halftone", "-o", "s.job", "cyan=c.tif,Black=k.tif",
                                              "k.tif", "Cyan=c.tif,Black=full.tif"});
    ASSERT_EQ(run.status, 0) << run.err;

    const std::vector<PageData> pages = readRaster(work() / "s.job");
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[2].planes[0].rows, pages[0].planes[0].rows);
    EXPECT_EQ(pages[2].planes[1].rows, (std::vector<std::vector<uint8_t>>(2, {0xFF, 0xF8})));
    ASSERT_EQ(pages[0].planes.size(), 2u);
    EXPECT_EQ(pages[0].planes[0].internalName, "Cyan");
    EXPECT_EQ(pages[0].planes[0].rows[0], (std::vector<uint8_t>{0xA5, 0xF8}));
    EXPECT_EQ(pages[0].planes[0].rows[1], (std::vector<uint8_t>{0x0F, 0xF0}));
    // Black is zero in the black file: its bits are inverted into ink.
    EXPECT_EQ(pages[0].planes[1].rows[0], (std::vector<uint8_t>{0x00, 0x00}));
    EXPECT_EQ(pages[0].planes[1].rows[1], (std::vector<uint8_t>{0xFF, 0xF8}));
    EXPECT_EQ(pages[1].planes[0].internalName, "Black");
}
