// Tiled pages through the driver front over an engine the test can look
// into: later pages completed by the first page's tiles, requests the engine
// does not tile, and a job aborted mid-page. (Each tile's image and ticket,
// page folders and blank tiles of colours without a plane are read back from
// posters the host program prints: tests/hostprog/EndToEndTest.cpp.)
#include "CDriver.h"
#include "KipHost.h"
#include "RTL.h"
#include "TempBaseFolder.h"

#include "Platform/PlatformMessageBox.h"

#include <gtest/gtest.h>

namespace {
constexpr int kCmyk = 0;
constexpr int kPosterTiling = 3;

// An engine whose time slice has always run out: each step of the tile loop writes one plane.
class SlicedRTL : public RTL {
protected:
    uint32_t TickCount() override { return now += 1000; }

private:
    uint32_t now = 0;
};

class KipTiles : public ::testing::Test {
protected:
    void SetUp() override { base.copySamples(); }

    // Runs job with the model through a driver over a new engine into folder.
    JobRun run(KipTestJob& job, const KipModel& model, const fs::path& folder) {
        installKipModel(base.path(), model);
        CDriver driver(new RTL);
        return runJob(driver, job, folder.string());
    }

    TempBaseFolder base;
    MessageBoxCapture boxes;
};
}  // namespace

TEST_F(KipTiles, LaterTiledPagesAreCompletedByTheFirstPagesRecords) {
    // Tile ids are found at page index + tile position, page numbers at the page index; the second page,
    // a plain one, is one tile of its own, numbered 1 (tile pages count from 0).
    KipTestJob job(base.path(), kKipModel, kCmyk);
    job.pageNumbers = {4, 0};
    job.requestTiles(kPosterTiling);
    job.write({{12, 4, {{"Cyan", 1}}, {{8, 2}, {4, 2}}}, {6, 3, {{"Black", 1}}}});
    const fs::path out = base.path() / "out";
    expectWhole(
        run(job, kipTileModel({{"TileName", "filename_pageID_tileID_colorID.tif"}, {"PageFolder", "yes"}}), out));
    expectSeparation(out / "plan_1_8_Black.tif", job, 1, 0, 0);
    // The second page's end adds no blank tile of its own: the first page's recorded tiles are all there.
    EXPECT_FALSE(fs::exists(out / "plan_1_8_Cyan.tif"));
    // Each tiled page enters its page folder and stays in it; the job ticket goes into the last.
    EXPECT_TRUE(fs::exists(out / "plan_Page_4" / "plan_Page_0" / "JobTicket.xml"));
}

TEST_F(KipTiles, RequestsTheEngineDoesNotTileKeepEveryLineOrFailTheJob) {
    // A tiling kind below 3 is not tiled, even with separate tiles: whole separations, pages from 1, no line lost.
    KipTestJob below(base.path(), kKipModel, kCmyk);
    below.requestTiles(2);
    below.write({{16, 3, {{"Cyan", 1}}}});
    expectWhole(run(below, kipTileModel(), base.path() / "below"));
    expectSeparation(base.path() / "below" / "plan_1_Cyan.tif", below, 0, 0, 0);

    // A tiled page of a model that does not write tiles as files fails the job and leaves its folder empty.
    KipTestJob tiled(base.path(), kKipModel, kCmyk);
    tiled.requestTiles(kPosterTiling);
    tiled.write({{16, 3, {{"Cyan", 1}}, {{8, 3}, {8, 3}}}});
    const fs::path out = base.path() / "tiled";
    const JobRun failed = run(tiled, kipTileModel({{"TileSeparate", "No"}, {"PageFolder", "yes"}}), out);
    EXPECT_TRUE(failed.ended);
    EXPECT_EQ(failed.failedSteps, 1);
    EXPECT_EQ(fileNames(out), std::vector<std::string>{"plan"});
    EXPECT_TRUE(fileNames(out / "plan").empty());
}

TEST_F(KipTiles, AbortedMidPageKeepsTheFinishedTilesAndWritesNoJobTicket) {
    KipTestJob job(base.path(), kKipModel, kCmyk);
    job.requestTiles(kPosterTiling);
    job.write({{16, 2, {{"Cyan", 1}, {"Black", 1}}, {{8, 2}, {8, 2}}}});
    const fs::path out = base.path() / "out";
    installKipModel(base.path(), kipTileModel());
    {
        CDriver driver(new SlicedRTL);
        NullPort port;
        ASSERT_EQ(driver.openJob(&job.request, &port), 1);
        driver.setOutputName(out.c_str(), reinterpret_cast<intptr_t>("plan.pdf"));
        // Begin the page, then write its first plane (Cyan) and stop there.
        ASSERT_EQ(driver.processJobStep(), 1);
        ASSERT_EQ(driver.processJobStep(), 1);
        EXPECT_EQ(driver.abortJob(), 1);
        EXPECT_EQ(job.request.portCode, -1);
    }
    EXPECT_EQ(fileNames(out), (std::vector<std::string>{"T_7.xml", "T_8.xml", "plan_7_Cyan.tif", "plan_8_Cyan.tif"}));
    expectSeparation(out / "plan_7_Cyan.tif", job, 0, 0, 0);
    expectSeparation(out / "plan_8_Cyan.tif", job, 0, 1, 0);
}
