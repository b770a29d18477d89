// The output summary on its own, over real files: the program's runs always
// have the driver's ticket, so its own ink count for a job folder whose ticket
// gives none is checked here.
#include "HostProgramFixture.h"
#include "OutputSummary.h"

namespace fs = std::filesystem;

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
