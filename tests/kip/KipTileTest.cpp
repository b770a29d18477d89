// Tiled pages through the driver front over an engine the test can look
// into: tile images read back with libtiff against the job's tiles, blank
// tiles by the first tiled page's records, page folders, requests the engine
// does not tile, and a job aborted mid-page. (Each tile's image and ticket,
// and blank tiles of colours without a plane, are read back from posters the
// host program prints: tests/hostprog/EndToEndTest.cpp.)
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
    KipHost::Run run(KipTestJob& job, const KipModel& model, const fs::path& folder) {
        installKipModel(base.path(), model);
        CDriver driver(new RTL);
        return KipHost::run(driver, job, folder.string(), "plan.pdf");
    }

    TempBaseFolder base;
    MessageBoxCapture boxes;
};
}  // namespace

TEST_F(KipTiles, LaterTiledPagesAreCompletedByTheFirstPagesRecords) {
    // Tile ids are looked up at page index + tile position; page numbers count from 0.
    KipTestJob job(base.path(), kKipModel, kCmyk);
    job.requestTiles(kPosterTiling, {7, 8, 9}, {1, 1, 2}, {4, 0, 0});
    job.write({{12, 4, {{"Cyan", 1}}, {{8, 2}, {4, 2}}}, {6, 3, {{"Black", 1}}, {{6, 3}}}});
    const fs::path out = base.path() / "out";
    const KipHost::Run done =
        run(job, kipTileModel({{"TileName", "filename_pageID_tileID_colorID.tif"}, {"PageFolder", "yes"}}), out);
    ASSERT_TRUE(done.ended);
    ASSERT_EQ(done.failedSteps, 0);

    expectSeparation(out / "plan_0_7_Cyan.tif", job, 0, 0, 0);
    expectSeparation(out / "plan_0_8_Cyan.tif", job, 0, 1, 0);
    expectSeparation(out / "plan_1_8_Black.tif", job, 1, 0, 0);
    // The second page's end completes the recorded (first page's) tiles, which are all there.
    std::vector<std::string> names;
    for (const std::string& name : fileNames(out))
        if (name.rfind("plan_1_", 0) == 0) names.push_back(name);
    EXPECT_EQ(names, std::vector<std::string>{"plan_1_8_Black.tif"});
    const ReadImage blank = readTiff(out / "plan_0_8_Black.tif");
    EXPECT_EQ(blank.width, 4u);
    EXPECT_EQ(blank.height, 2u);
    for (const std::vector<uint8_t>& row : blank.rows) EXPECT_EQ(row, std::vector<uint8_t>{0});
    // Each tiled page enters its page folder and stays in it; the job ticket goes into the last.
    EXPECT_TRUE(fs::exists(out / "plan_Page_4" / "plan_Page_0" / "JobTicket.xml"));
}

TEST_F(KipTiles, RequestsTheEngineDoesNotTileKeepEveryLineOrFailTheJob) {
    struct Case {
        const char* what;
        const char* tileSeparate;
        int tilingKind;
        bool tiledPage;
        const char* cyanFile;   // where the page's Cyan plane goes; empty when the job fails
    };
    const Case cases[] = {
        {"tiling kind below 3: whole separations, pages from 1", "YES", 2, false, "plan_1_Cyan.tif"},
        {"tiles not separate: separations in the page folder", "No", kPosterTiling, false, "plan/plan_1_Cyan.tif"},
        {"plain page of a tiled request: one tile, pages from 0", "YES", kPosterTiling, false, "plan_0_7_Cyan.tif"},
        {"tiled page without separate tiles", "No", kPosterTiling, true, ""},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KipTestJob job(base.path(), kKipModel, kCmyk);
        job.requestTiles(c.tilingKind, {7, 8}, {1, 2});
        job.write({{16, 3, {{"Cyan", 1}}, c.tiledPage ? std::vector<TestTile>{{8, 3}, {8, 3}} : std::vector<TestTile>{}}});
        const fs::path out = base.path() / ("out" + std::to_string(n++));
        const KipHost::Run done = run(job,
                                      kipTileModel({{"TileSeparate", c.tileSeparate}, {"PageFolder", "yes"},
                                                 {"TileName", "filename_pageID_tileID_colorID.tif"}}),
                                      out);
        EXPECT_TRUE(done.ended);
        if (!*c.cyanFile) {
            EXPECT_EQ(done.failedSteps, 1);
            EXPECT_EQ(fileNames(out), std::vector<std::string>{"plan"});
            EXPECT_TRUE(fileNames(out / "plan").empty());
            continue;
        }
        EXPECT_EQ(done.failedSteps, 0);
        expectSeparation(out / c.cyanFile, job, 0, 0, 0);
    }
}

TEST_F(KipTiles, AbortedMidPageKeepsTheFinishedTilesAndWritesNoJobTicket) {
    KipTestJob job(base.path(), kKipModel, kCmyk);
    job.requestTiles(kPosterTiling, {7, 8}, {1, 2});
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
