// The host program's units on their own: halftoning, reading progress
// texts, page arguments, options and the output summary over real files.
#include "CommandLine.h"
#include "HostProgramFixture.h"
#include "OrderedDither.h"
#include "OutputSummary.h"
#include "PageInput.h"
#include "ProgressDisplay.h"
#include "ThumbnailWriter.h"
#include "ToolError.h"

#include <tiffio.h>

#include <cstdio>

namespace fs = std::filesystem;

TEST(OrderedDither, EachInkValueCoversItsShareOfEveryBlockAndPaddingStaysClear) {
    std::vector<uint8_t> row(16), out(2);
    int previous = -1;
    for (int ink = 0; ink <= 255; ++ink) {
        std::fill(row.begin(), row.end(), uint8_t(ink));
        int set = 0;
        for (uint32_t y = 0; y < 16; ++y) {
            OrderedDither::ditherRow(row.data(), 16, y, out.data());
            set += __builtin_popcount(out[0]) + __builtin_popcount(out[1]);
        }
        EXPECT_NEAR(set, ink * 256.0 / 255, 1.0) << ink;
        EXPECT_GT(set, previous) << ink;   // every step of ink adds dots
        previous = set;
    }
    EXPECT_EQ(previous, 256);
    const std::vector<uint8_t> full(13, 255);   // rows not a multiple of eight leave the padding clear
    std::vector<uint8_t> bits(2, 0xAA);
    OrderedDither::ditherRow(full.data(), 13, 5, bits.data());
    EXPECT_EQ(bits[0], 0xFF);
    EXPECT_EQ(bits[1], 0xF8);
}

TEST(ProgressDisplay, ReadsTheDriversStatusTextsAndPrintsPlainLines) {
    JobStatus s = ProgressDisplay::parse("Cyan   45%  11%", 1);
    EXPECT_EQ(s.plane, "Cyan");
    EXPECT_EQ(s.planePercent, 45);
    EXPECT_EQ(s.overallPercent, 11);
    s = ProgressDisplay::parse("Light Cyan  100% 100%", 1);
    EXPECT_EQ(s.plane, "Light Cyan");
    EXPECT_EQ(s.overallPercent, 100);
    s = ProgressDisplay::parse("  7%", 3);
    EXPECT_EQ(s.planePercent, 7);
    EXPECT_TRUE(s.plane.empty() && s.message.empty());
    s = ProgressDisplay::parse("Write Data Error", 1);
    EXPECT_EQ(s.message, "Write Data Error");
    EXPECT_EQ(s.overallPercent, -1);
    EXPECT_EQ(ProgressDisplay::parse("Disk 1234%", 1).message, "Disk 1234%");
    // Without a terminal: plain lines only for a new plane or tenth.
    char* text = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    ProgressDisplay display(out, false);
    for (const char* status : {"Cyan    3%   1%", "Cyan    9%   2%", "Cyan   40%  10%", "Cyan   40%  10%",
                               "Magenta  2%  25%", "Write Data Error"})
        display.update(status, 1);
    display.finish();
    std::fclose(out);
    EXPECT_STREQ(text, "progress   1%  Cyan\nprogress  10%  Cyan\nprogress  25%  Magenta\nWrite Data Error\n");
    std::free(text);
}

TEST(PageInput, ArgumentsNameImagesOrSeparations) {
    using Parts = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(PageInput::parse("poster.tif"), (Parts{{"", "poster.tif"}}));
    EXPECT_EQ(PageInput::parse("Cyan=c.tif,Black=dir/k.tif"), (Parts{{"Cyan", "c.tif"}, {"Black", "dir/k.tif"}}));
    EXPECT_THROW(PageInput::parse("Cyan=c.tif,cyan=d.tif"), UsageError);
    EXPECT_THROW(PageInput::parse("=c.tif"), UsageError);
    EXPECT_THROW(PageInput::parse("Cyan=c.tif,,Black=k.tif"), UsageError);

    TempBaseFolder folder;
    const fs::path odd = folder.path() / "a=b.tif";
    std::ofstream(odd) << "x";
    EXPECT_EQ(PageInput::parse(odd.string()), (Parts{{"", odd.string()}}));
}

TEST(CommandLine, OptionFormsAndMistakes) {
    const std::vector<OptionDef> options = {{"output", 'o', true}, {"flag", 0, false}, {"option", 'O', true, true}};
    const CommandLine cl({"-o", "a", "--option=x=1", "-O", "y=2", "--flag", "p1", "--", "--p2"}, options);
    EXPECT_EQ(cl.value("output"), "a");
    EXPECT_TRUE(cl.has("flag"));
    EXPECT_EQ(cl.values("option"), (std::vector<std::string>{"x=1", "y=2"}));
    EXPECT_EQ(cl.positionals(), (std::vector<std::string>{"p1", "--p2"}));
    EXPECT_FALSE(cl.wantsHelp());
    EXPECT_TRUE(CommandLine({"-h"}, options).wantsHelp());
    EXPECT_THROW(CommandLine({"--output"}, options), UsageError);
    EXPECT_THROW(CommandLine({"-o", "a", "--output=b"}, options), UsageError);
    EXPECT_THROW(CommandLine({"--flag=1"}, options), UsageError);
    EXPECT_THROW(CommandLine({"-x"}, options), UsageError);
    EXPECT_THROW(parseNumber("12x", "n", 0, 100), UsageError);
    EXPECT_THROW(parseNumber("101", "n", 0, 100), UsageError);
    EXPECT_EQ(parseNumber("-3", "n", -5, 5), -3);
}

TEST(Thumbnail, SmallBmpWithInksMixedSubtractively) {
    RasterPage page;
    page.width = 300;
    page.height = 100;
    page.planes.push_back({"Cyan", 1, packedRowBytes(1, 300), {}});
    ThumbnailWriter thumbnail(page);
    const std::vector<uint8_t> row(packedRowBytes(1, 300), 0xFF);
    const uint8_t* rows[1] = {row.data()};
    for (uint32_t y = 0; y < page.height; ++y) thumbnail.addRow(y, rows);
    const std::vector<uint8_t> bmp = thumbnail.bmp();
    ASSERT_GE(bmp.size(), 54u + 3);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[18] | bmp[19] << 8, 128);   // width scaled to the longest side
    EXPECT_EQ(bmp[22] | bmp[23] << 8, 42);
    EXPECT_EQ(bmp.size(), 54u + 384 * 42);     // rows padded to 4 bytes
    EXPECT_EQ(bmp[54], 255);                   // blue
    EXPECT_EQ(bmp[55], 255);                   // green
    EXPECT_EQ(bmp[56], 0);                     // red: cyan ink absorbs it
}

TEST(OutputSummary, FindsTheJobFolderAndMeasuresInk) {
    TempBaseFolder folder;
    const fs::path out = folder.path() / "out";
    fs::create_directories(out / "old");
    const std::set<std::string> before = OutputSummary::snapshot(out.string());
    const fs::path job = out / "poster7";
    fs::create_directories(job);
    // Cyan: 2 of 8 pixels per row set; Black: half the samples at 255.
    writeTiff(job / "poster_7_Cyan.tif", 8, 2, 1, 1, PHOTOMETRIC_MINISWHITE, {0xC0, 0x0C});
    writeTiff(job / "poster_7_Black.tif", 2, 2, 1, 8, PHOTOMETRIC_MINISWHITE, {255, 0, 0, 255});
    std::ofstream(job / "JobTicket.xml") << "<Ticket/>";

    OutputSummary summary = OutputSummary::collect(out.string(), before, {"Cyan", "Black"}, false);
    EXPECT_EQ(summary.jobFolder(), job.string());
    ASSERT_EQ(summary.files().size(), 3u);
    EXPECT_EQ(summary.files()[0].path, "JobTicket.xml");
    EXPECT_EQ(summary.files()[0].size, 9u);
    ASSERT_EQ(summary.coverage().size(), 2u);
    EXPECT_EQ(summary.coverage()[0].colour, "Black");
    EXPECT_DOUBLE_EQ(summary.coverage()[0].percent, 50.0);
    EXPECT_EQ(summary.coverage()[1].colour, "Cyan");
    EXPECT_DOUBLE_EQ(summary.coverage()[1].percent, 25.0);
    EXPECT_NE(summary.render().find("25.00 %"), std::string::npos);

    summary = OutputSummary::collect(out.string(), before, {"Cyan", "Black"}, true);
    EXPECT_DOUBLE_EQ(summary.coverage()[1].percent, 75.0);

    // A ticket with the driver's figures: those are shown, the images still counted by name.
    std::ofstream(job / "JobTicket.xml") << "<Ticket><Coverage><Cyan>12.5</Cyan><Black>x</Black></Coverage></Ticket>";
    summary = OutputSummary::collect(out.string(), before, {"Cyan", "Black"}, false);
    ASSERT_EQ(summary.coverage().size(), 1u);
    EXPECT_EQ(summary.coverage()[0].colour, "Cyan");
    EXPECT_DOUBLE_EQ(summary.coverage()[0].percent, 12.5);
    EXPECT_EQ(summary.coverage()[0].images, 1);
}

TEST(OutputSummary, ShortColourIdsInNamesMapToTheJobsColours) {
    TempBaseFolder folder;
    const fs::path out = folder.path() / "out";
    fs::create_directories(out / "job_00001");
    const std::vector<uint8_t> half = {0xF0, 0xF0};
    for (const char* name : {"job_00001_1_C.tif", "job_00001_2_C.tif", "job_00001_1_K.tif", "job_00001_1_LC.tif",
                             "job_00001_1_X.tif"})
        writeTiff(out / "job_00001" / name, 8, 2, 1, 1, PHOTOMETRIC_MINISWHITE, half);
    const OutputSummary summary = OutputSummary::collect(out.string(), {}, {"Cyan", "Magenta", "Black", "LightCyan"}, false);
    std::vector<std::string> colours;
    for (const InkCoverage& c : summary.coverage()) colours.push_back(c.colour + ":" + std::to_string(c.images));
    EXPECT_EQ(colours, (std::vector<std::string>{"Black:1", "Cyan:2", "job_00001_1_LC:1", "job_00001_1_X:1"}));
}
