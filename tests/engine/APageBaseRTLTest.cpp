// The page engine driven as the host drives it: real job files written with
// the raster writer in a temporary base folder, opened and stepped through
// the forwarding driver, with a recording engine at the end of the pipeline.
#include "ABasePrinterDriverImp.h"
#include "APageBaseRTL.h"
#include "ImageReadBack.h"
#include "LoadedModule.h"
#include "RecordingEngine.h"
#include "TempBaseFolder.h"
#include "TestJob.h"

#include "RVLog.h"
#include "ZUJob.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

// A job in the base folder's "Temp" and a driver over a recording engine;
// fresh() starts over with a new pair, for tables of jobs.
struct PageEngine : ::testing::Test {
    PageEngine() : job(base.temp()) { fresh(); }

    RecordingEngine& fresh() {
        engine = new RecordingEngine;
        driver = std::make_unique<ABasePrinterDriverImp>(engine);
        return *engine;
    }
    // Writes the job files and opens the job through the driver; the openJob result.
    int open(const std::vector<TestPage>& pages, float dpi = 360) {
        job.header.xResolution = job.header.yResolution = dpi;
        job.request.portCode = 256;
        job.write(pages);
        return driver->openJob(&job.request, &port);
    }
    // Steps the job as a host does; whether it ended without a failed step.
    bool runToEnd() { return stepJob(*driver, job.request) > 0 && job.request.portCode == -1; }

    TempBaseFolder base;
    TestJob job;
    RecordingPort port;
    RecordingEngine* engine = nullptr;
    std::unique_ptr<ABasePrinterDriverImp> driver;
};

TestPage cmykPage(int width, int height) {
    return {width, height, {{"Cyan", 1}, {"Magenta", 1}, {"Yellow", 1}, {"Black", 1}}};
}

// Page after page, the planes in the order of the job's colorants, each with
// its lines, and the end of the job, which tells the host it is over.
TEST_F(PageEngine, ThreePagesRunPagesPlanesAndLinesInOrder) {
    const TestPage page{8, 2, {{"Black", 1}, {"Cyan", 1}}};
    ASSERT_EQ(open({page, page, page}), 1);
    EXPECT_TRUE(runToEnd());   // EndJob set port code -1
    const std::vector<std::string> onePage = {"BeginPage", "BeginPlane 1", "Line 1,0", "Line 1,1", "EndPlane 1",
                                              "BeginPlane 0", "Line 0,0", "Line 0,1", "EndPlane 0", "EndPage"};
    std::vector<std::string> expected;
    for (int i = 0; i < 3; ++i) expected.insert(expected.end(), onePage.begin(), onePage.end());
    expected.push_back("EndJob");
    EXPECT_EQ(engine->calls, expected);
}

TEST_F(PageEngine, PlanesMapToColorantsByNameOrPositionAndUnmappedOnesAreNotWritten) {
    struct Case { const char* xml; std::vector<TestPage> pages; int skipped; std::vector<int> runs; };
    const Case cases[] = {
        {nullptr, {{8, 2, {{"cyan", 1}, {"BLACK", 1}, {"Magenta", 1}, {"Spot 1", 1}}}}, -1, {0, 2, 1}},   // by internal name, ignoring case
        {"<Job><CustomColorMode>1</CustomColorMode></Job>",   // by position
         {{8, 2, {{"Red", 1}, {"Blue", 1}, {"Green", 1}, {"Violet", 1}, {"Extra", 1}}}}, -1, {0, 1, 2, 3}},
        {"<Job><Other/></Job>", {{8, 2, {{"Red", 1}, {"Black", 1}}}}, -1, {1}},
        {nullptr, {{8, 3, {{"Spot", 1}}}, cmykPage(8, 1)}, -1, {0, 1, 2, 3}},   // a page without any plane
        {nullptr, {{8, 2, {{"Cyan", 1}, {"Magenta", 1}}}, {8, 2, {{"Magenta", 1}, {"Cyan", 1}}}}, 0, {1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.xml ? c.xml : c.pages[0].planes[0].name);
        fresh().skippedColorant = c.skipped;
        const std::string xml = c.xml ? std::string("<?xml version=\"1.0\"?>") + c.xml : "";
        job.request.customXml = c.xml ? xml.c_str() : nullptr;
        ASSERT_EQ(open(c.pages), 1);
        EXPECT_TRUE(runToEnd());
        EXPECT_EQ(engine->planeRuns(), c.runs);
        if (c.runs.size() == 3) {   // the first case: Yellow has no plane, "Spot 1" no colorant
            EXPECT_EQ(engine->trackRecord().planeToColorant[3], JobTrackRecord::kUnmapped);
            EXPECT_EQ(engine->trackRecord().colorantToPlane[2], JobTrackRecord::kUnmapped);
        }
    }
}

// A device resolution twice the job's doubles lines and pixels; one below the
// job's, or a job resolution no int holds, never scales.
TEST_F(PageEngine, DeviceResolutionAboveTheJobsScalesLinesAndPixels) {
    engine->deviceResolution = 720;
    ASSERT_EQ(open({{8, 2, {{"Cyan", 1}}}}), 1);
    EXPECT_TRUE(runToEnd());
    const JobTrackRecord& t = engine->trackRecord();
    EXPECT_EQ(t.outputXResolution, 720);
    EXPECT_DOUBLE_EQ(t.effectiveXResolution, 720.0);
    ASSERT_EQ(engine->lines.size(), 4u);
    for (int line = 0; line < 4; ++line) {
        const auto source = unpackPixels(TestJob::patternLine(0, 0, line / 2, 1, 8), 1, 8);
        const auto scaled = unpackPixels(engine->lines[line], 1, 16);
        for (uint32_t x = 0; x < 16; ++x) EXPECT_EQ(scaled[x], source[x / 2]) << line << "," << x;
    }

    for (float dpi : {1e30f, -1e30f, std::numeric_limits<float>::quiet_NaN(), 1000.0f}) {
        SCOPED_TRACE(dpi);
        ASSERT_EQ(open({{8, 2, {{"Cyan", 1}}}}, dpi), 1);
        EXPECT_EQ(engine->trackRecord().outputXResolution, dpi == 1000.0f ? 1000 : 0);
        EXPECT_TRUE(runToEnd());
        EXPECT_EQ(engine->trackRecord().outputWidth, 8);
    }
}

// A step ends after the line that used up the time slice, with the progress
// of the plane and of the page; interleaved planes report the page alone.
TEST_F(PageEngine, TimeSliceEndsAfterTheSlowLineAndReportsProgress) {
    engine->slowLine = 5;
    ASSERT_EQ(open({{8, 10, {{"Cyan", 1}, {"Magenta", 1}}}}), 1);
    ASSERT_EQ(driver->processJobStep(), 1);   // prepares the page
    ASSERT_EQ(driver->processJobStep(), 1);
    ASSERT_EQ(engine->lines.size(), 6u);
    EXPECT_STREQ(job.request.statusText, "Cyan   50%  25%");
    EXPECT_EQ(job.request.statusKind, 1);
    ASSERT_EQ(driver->processJobStep(), 1);   // resumes at line 6, stops at line 5 of Magenta
    EXPECT_EQ(engine->calls.at(8), "Line 0,6");
    EXPECT_STREQ(job.request.statusText, "Magenta   50%  75%");

    fresh().interleaved = true;
    engine->slowLine = 1;
    ASSERT_EQ(open({{8, 3, {{"Black", 1}, {"Cyan", 1}}}}), 1);
    ASSERT_EQ(driver->processJobStep(), 1);
    ASSERT_EQ(driver->processJobStep(), 1);   // stops after line 1 of Cyan
    EXPECT_STREQ(job.request.statusText, " 33%");
    EXPECT_EQ(job.request.statusKind, 3);
    EXPECT_TRUE(runToEnd());
    EXPECT_EQ(engine->calls, (std::vector<std::string>{"BeginPage", "Line 1,0", "Line 0,0", "Line 1,1", "Line 0,1",
                                                       "Line 1,2", "Line 0,2", "EndPage", "EndJob"}));
}

// A job without pages fails its first step instead of ending empty; a missing
// or truncated raster file refuses the job, one without its prefix is found.
TEST_F(PageEngine, EmptyMissingOrTruncatedRasterFailsTheJob) {
    ASSERT_EQ(open({}), 1);
    {
        RVLogCapture log;
        EXPECT_EQ(driver->processJobStep(), 0);
        EXPECT_TRUE(log.contains("Exception"));
        EXPECT_EQ(job.request.portCode, -1);
    }

    job.write({cmykPage(64, 16)});
    const std::filesystem::path raster = ZUJob::GetFileName(2, job.request.jobFilePath).c_str();
    const auto whole = readBytes(raster);
    RVLogCapture log;
    for (size_t size : {size_t{0}, size_t{20}, whole.size() / 2, whole.size() - 1}) {
        writeBytes(raster, std::vector<unsigned char>(whole.begin(), whole.begin() + static_cast<long>(size)));
        job.request.portCode = 256;
        EXPECT_EQ(driver->openJob(&job.request, &port), 0) << size;
        EXPECT_EQ(job.request.portCode, -1);
    }
    EXPECT_FALSE(log.messages().empty());

    const std::filesystem::path plain = ZUJob::GetFileName(0, job.request.jobFilePath).c_str();
    ASSERT_NE(raster, plain);
    writeBytes(plain, whole);
    std::filesystem::remove(raster);
    job.request.portCode = 256;
    ASSERT_EQ(driver->openJob(&job.request, &port), 1);
    EXPECT_TRUE(runToEnd());
    EXPECT_EQ(engine->lines.size(), 4u * 16);
    std::filesystem::remove(plain);
    job.request.portCode = 256;
    EXPECT_EQ(driver->openJob(&job.request, &port), 0);
    EXPECT_EQ(job.request.portCode, -1);
}

}  // namespace
