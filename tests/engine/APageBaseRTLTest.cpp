// The page engine driven as the host drives it: real job files written with
// the raster writer in a temporary base folder, opened and stepped through
// the forwarding driver, with a recording engine at the end of the pipeline.
#include "ABasePrinterDriverImp.h"
#include "APageBaseRTL.h"
#include "DriverError.h"
#include "RecordingPort.h"
#include "TempBaseFolder.h"
#include "TestJob.h"

#include "RVLog.h"
#include "ZUJob.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

namespace {

const char* const kInks[] = {"Cyan", "Magenta", "Yellow", "Black"};

// Records what the page engine asks of a concrete engine; its colorants are
// C, M, Y, K (1 bit, 8 bits from colour mode 5 on); its clock is a counter
// that only moves when a test says so.
class RecordingEngine : public APageBaseRTL {
public:
    struct Line {
        int plane;
        int line;
        std::vector<uint8_t> data;
    };

    int GetEngineCode() override { return 99; }
    int GetDeviceResolution(int* x, int* y) override {
        *x = deviceX;
        *y = deviceY;
        return 1;
    }
    int GetColorantList(int colorMode, ColorantList* list) override {
        list->count = 4;
        for (int i = 0; i < 4; ++i) {
            ColorantEntry& e = list->entries[i];
            std::memset(&e, 0, sizeof e);
            std::strcpy(e.name, kInks[i]);
            std::strcpy(e.displayName, kInks[i]);
            e.one = 1;
            e.bitsPerPixel = colorMode >= 5 ? 8 : 1;
        }
        return 1;
    }
    int AbortJob() override { return record("AbortJob"); }
    int NextPage(int current) override {
        const int next = APageBaseRTL::NextPage(current);
        record("NextPage(" + std::to_string(current) + ")=" + std::to_string(next));
        return next;
    }
    int PreparePage() override {
        record("PreparePage");
        return APageBaseRTL::PreparePage();
    }
    int SetPlaneOrder() override {
        record("SetPlaneOrder");
        APageBaseRTL::SetPlaneOrder();
        if (interleaved) {
            // Every plane of a line in turn, without plane starts and ends.
            track->firstLine = track->lastLine = -1;
            track->lineOrder = 2;
        }
        return 1;
    }
    int SkipPlane(int colorant) override { return colorant == skippedColorant; }
    int BeginPage() override { return record("BeginPage"); }
    int EndPage() override { return record("EndPage"); }
    int EndJob() override {
        record("EndJob");
        return APageBaseRTL::EndJob();
    }
    int BeginPlane(int plane, int line) override {
        record("BeginPlane(" + std::to_string(plane) + "," + std::to_string(line) + ")");
        return failBeginPlane ? 0 : 1;
    }
    int EndPlane(int plane, int line) override {
        record("EndPlane(" + std::to_string(plane) + "," + std::to_string(line) + ")");
        return failEndPlane ? 0 : 1;
    }
    int WriteLine(int plane, int line, const uint8_t* data) override {
        lines.push_back({plane, line, std::vector<uint8_t>(data, data + track->outputLineBytes)});
        if (line == slowLine) now += 201;
        return failWriteLine ? 0 : 1;
    }

    const JobTrackRecord& trackRecord() const { return *track; }
    const PageSettings& pageSettings() const { return *settings; }
    int buffersSize() const { return lineBuffersSize; }
    // The planes written, in order, one entry per plane run.
    std::vector<int> planeRuns() const {
        std::vector<int> runs;
        for (const Line& l : lines)
            if (runs.empty() || runs.back() != l.plane) runs.push_back(l.plane);
        return runs;
    }

    std::vector<std::string> calls;
    std::vector<Line> lines;
    int deviceX = 1, deviceY = 1;
    int slowLine = -1;   // writing this line takes 201 ms of the fake clock
    bool failBeginPlane = false, failWriteLine = false, failEndPlane = false;
    bool interleaved = false;
    int skippedColorant = -1;

protected:
    uint32_t TickCount() override { return now; }

private:
    int record(const std::string& call) {
        calls.push_back(call);
        return 1;
    }
    uint32_t now = 0xFFFFFF00u;   // close to the wrap, as a long-running system's tick count
};

struct PageEngine : ::testing::Test {
    PageEngine() : job(base.temp()) {
        std::strcpy(job.request.thumbnailPath, "thumb.bmp");
    }

    // Writes the job files and opens the job through the driver; the openJob result.
    int open(const std::vector<TestPage>& pages, double dpi = 360, int colorMode = 0) {
        job.header.xResolution = job.header.yResolution = static_cast<float>(dpi);
        job.header.colorMode = static_cast<int16_t>(colorMode);
        job.write(pages);
        return driver.openJob(&job.request, &port);
    }
    // Steps until the job has ended or a step fails; the number of steps, -1 after a failed one.
    int runToEnd() {
        for (int steps = 1; steps < 100000; ++steps) {
            if (!driver.processJobStep()) return -1;
            if (job.request.portCode == -1) return steps;
        }
        return 0;
    }
    std::vector<std::string> callsWithout(const char* prefix) const {
        std::vector<std::string> out;
        for (const auto& c : engine->calls)
            if (c.rfind(prefix, 0) != 0) out.push_back(c);
        return out;
    }

    TempBaseFolder base;
    TestJob job;
    RecordingPort port;
    RecordingEngine* engine = new RecordingEngine;
    ABasePrinterDriverImp driver{engine};
};

TestPage cmykPage(int width, int height) {
    return {width, height, {{"Cyan", 1}, {"Magenta", 1}, {"Yellow", 1}, {"Black", 1}}};
}

TEST_F(PageEngine, ThreePagesRunPagesPlanesAndLinesInOrder) {
    ASSERT_EQ(open({cmykPage(12, 3), cmykPage(12, 3), cmykPage(12, 3)}), 1);
    EXPECT_EQ(driver.currentJob()->pageCount, 3);
    EXPECT_GT(runToEnd(), 0);

    std::vector<std::string> expected;
    for (int page = 0; page < 3; ++page) {
        expected.push_back("NextPage(" + std::to_string(page - 1) + ")=" + std::to_string(page));
        expected.insert(expected.end(), {"PreparePage", "SetPlaneOrder", "BeginPage"});
        for (int plane = 0; plane < 4; ++plane) {
            expected.push_back("BeginPlane(" + std::to_string(plane) + ",0)");
            expected.push_back("EndPlane(" + std::to_string(plane) + ",2)");
        }
        expected.push_back("EndPage");
    }
    expected.insert(expected.end(), {"NextPage(2)=-1", "EndJob"});
    EXPECT_EQ(engine->calls, expected);

    ASSERT_EQ(engine->lines.size(), 3u * 4 * 3);
    size_t i = 0;
    for (int page = 0; page < 3; ++page)
        for (int plane = 0; plane < 4; ++plane)
            for (int line = 0; line < 3; ++line, ++i) {
                EXPECT_EQ(engine->lines[i].plane, plane);
                EXPECT_EQ(engine->lines[i].line, line);
                EXPECT_EQ(engine->lines[i].data, TestJob::patternLine(page, plane, line, 1, 12)) << page << plane << line;
            }
    EXPECT_EQ(job.request.portCode, -1);
}

TEST_F(PageEngine, JobWithoutPagesFailsItsFirstStepInsteadOfEndingEmpty) {
    ASSERT_EQ(open({}), 1);
    EXPECT_EQ(driver.currentJob()->pageCount, 0);
    RVLogCapture log;
    EXPECT_EQ(driver.processJobStep(), 0);
    EXPECT_EQ(engine->calls, (std::vector<std::string>{"NextPage(-1)=0", "PreparePage"}));
    EXPECT_TRUE(log.contains("Exception"));
    EXPECT_EQ(job.request.portCode, -1);
}

TEST_F(PageEngine, AbortBetweenStepsEndsTheJob) {
    ASSERT_EQ(open({cmykPage(8, 4), cmykPage(8, 4)}), 1);
    ASSERT_EQ(driver.processJobStep(), 1);
    ASSERT_EQ(driver.processJobStep(), 1);
    EXPECT_EQ(driver.abortJob(), 1);
    EXPECT_EQ(job.request.portCode, -1);
    EXPECT_TRUE(driver.currentJob()->aborted);
    EXPECT_EQ(engine->calls.back(), "AbortJob");
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
        auto* fresh = new RecordingEngine;
        ABasePrinterDriverImp own(fresh);
        fresh->skippedColorant = c.skipped;
        const std::string xml = c.xml ? std::string("<?xml version=\"1.0\"?>") + c.xml : "";
        job.request.customXml = c.xml ? xml.c_str() : nullptr;
        job.request.portCode = 256;
        job.header.xResolution = job.header.yResolution = 360;
        job.write(c.pages);
        ASSERT_EQ(own.openJob(&job.request, &port), 1);
        while (own.processJobStep() && job.request.portCode != -1) {}
        EXPECT_EQ(fresh->planeRuns(), c.runs) << (c.xml ? c.xml : c.pages[0].planes[0].name);
        EXPECT_EQ(fresh->calls.back(), "EndJob");
        if (c.runs.size() == 3) {   // the first case: Yellow has no plane, "Spot 1" no colorant
            EXPECT_EQ(fresh->trackRecord().planeToColorant[3], JobTrackRecord::kUnmapped);
            EXPECT_EQ(fresh->trackRecord().colorantToPlane[2], JobTrackRecord::kUnmapped);
        }
    }
    job.request.customXml = nullptr;
}

TEST_F(PageEngine, DeviceResolutionDoublesLinesAndPixels) {
    engine->deviceX = engine->deviceY = 720;
    TestPage page{8, 2, {{"Cyan", 1}}};
    ASSERT_EQ(open({page}), 1);
    EXPECT_GT(runToEnd(), 0);
    const JobTrackRecord& t = engine->trackRecord();
    EXPECT_EQ(t.xFactor, 2);
    EXPECT_EQ(t.yFactor, 2);
    EXPECT_EQ(t.outputWidth, 16);
    EXPECT_EQ(t.outputHeight, 4);
    EXPECT_EQ(t.outputXResolution, 720);
    EXPECT_DOUBLE_EQ(t.effectiveXResolution, 720.0);
    EXPECT_EQ(t.outputLineBytes, 2);

    ASSERT_EQ(engine->lines.size(), 4u);
    for (int line = 0; line < 4; ++line) {
        const uint8_t source = TestJob::patternLine(0, 0, line / 2, 1, 8)[0];
        std::vector<uint8_t> doubled(2, 0);
        for (int bit = 0; bit < 8; ++bit)
            if (source & (0x80 >> bit)) doubled[bit / 4] |= static_cast<uint8_t>(0xC0 >> (2 * (bit % 4)));
        EXPECT_EQ(engine->lines[line].data, doubled) << line;
    }
}

TEST_F(PageEngine, DeviceResolutionBelowTheJobOrOneNoIntHoldsNeverScales) {
    engine->deviceX = engine->deviceY = 720;
    for (float dpi : {1e30f, -1e30f, std::numeric_limits<float>::quiet_NaN(), 1000.0f}) {
        job.request.portCode = 256;
        ASSERT_EQ(open({{8, 2, {{"Cyan", 1}}}}, dpi), 1) << dpi;
        EXPECT_EQ(engine->trackRecord().outputXResolution, dpi == 1000.0f ? 1000 : 0) << dpi;
        EXPECT_GT(runToEnd(), 0) << dpi;
        EXPECT_EQ(engine->trackRecord().xFactor, 1) << dpi;
        EXPECT_EQ(engine->trackRecord().outputWidth, 8) << dpi;
    }
}

TEST_F(PageEngine, MixedDepthsSizeLinesAtTheDeepestPlane) {
    ASSERT_EQ(open({{10, 2, {{"Cyan", 1}, {"Black", 8}}}}, 360, 0), 1);
    ASSERT_EQ(driver.processJobStep(), 1);   // prepares the page
    const JobTrackRecord& t = engine->trackRecord();
    EXPECT_EQ(t.maxBitsPerPixel, 8);
    EXPECT_EQ(t.sourceLineBytes, 10);
    EXPECT_EQ(t.outputLineBytes, 10);
    EXPECT_EQ(engine->buffersSize(), 2 * 10 + 2048);
    EXPECT_EQ(t.planeBits[0], 1);
    EXPECT_EQ(t.planeBits[1], 8);
    EXPECT_GT(runToEnd(), 0);
    ASSERT_EQ(engine->lines.size(), 4u);
    const auto cyan = TestJob::patternLine(0, 0, 0, 1, 10);
    EXPECT_TRUE(std::equal(cyan.begin(), cyan.end(), engine->lines[0].data.begin()));
    EXPECT_EQ(engine->lines[2].data, TestJob::patternLine(0, 1, 0, 8, 10));
}

TEST_F(PageEngine, TimeSliceEndsAfterTheSlowLineAndProgressCountsFinishedPlanes) {
    engine->slowLine = 5;
    ASSERT_EQ(open({{8, 10, {{"Cyan", 1}, {"Magenta", 1}}}}), 1);
    ASSERT_EQ(driver.processJobStep(), 1);   // prepares the page
    ASSERT_EQ(driver.processJobStep(), 1);
    ASSERT_EQ(engine->lines.size(), 6u);
    EXPECT_STREQ(job.request.statusText, "Cyan   50%  25%");
    EXPECT_EQ(job.request.statusKind, 1);
    ASSERT_EQ(driver.processJobStep(), 1);   // resumes at line 6, stops at line 5 of Magenta
    EXPECT_EQ(engine->lines[6].line, 6);
    EXPECT_STREQ(job.request.statusText, "Magenta   50%  75%");
}

TEST_F(PageEngine, MissingRasterFileRefusesTheJob) {
    job.writeHeader();
    EXPECT_EQ(driver.openJob(&job.request, &port), 0);
    EXPECT_EQ(job.request.portCode, -1);
    DriverJob record{};
    record.request = &job.request;
    try {
        engine->StartJob(&record, 0, &port, nullptr);
        FAIL() << "a missing raster file must raise";
    } catch (const DriverError& e) {
        EXPECT_EQ(e.code, -3);
    }
}

struct RefusedCall {
    bool RecordingEngine::*flag;
    int code;
};

class PageEngineRefusal : public PageEngine, public ::testing::WithParamInterface<RefusedCall> {};

TEST_P(PageEngineRefusal, RaisesItsCodeAndFailsTheStep) {
    engine->*(GetParam().flag) = true;
    ASSERT_EQ(open({cmykPage(8, 1)}), 1);
    ASSERT_EQ(engine->ProcessJobStep(), 1);
    try {
        engine->ProcessJobStep();
        FAIL() << "the refusal must raise";
    } catch (const DriverError& e) {
        EXPECT_EQ(e.code, GetParam().code);
    }
    RVLogCapture log;
    EXPECT_EQ(driver.processJobStep(), 0);
    EXPECT_TRUE(log.contains("Exception"));
}

INSTANTIATE_TEST_SUITE_P(Codes, PageEngineRefusal,
                         ::testing::Values(RefusedCall{&RecordingEngine::failBeginPlane, -4},
                                           RefusedCall{&RecordingEngine::failWriteLine, -5},
                                           RefusedCall{&RecordingEngine::failEndPlane, -6}),
                         [](const ::testing::TestParamInfo<RefusedCall>& param) {
                             return "Code" + std::to_string(-param.param.code);
                         });

TEST_F(PageEngine, InterleavedOrderWritesEveryPlanePerLine) {
    engine->interleaved = true;
    engine->slowLine = 1;
    ASSERT_EQ(open({{8, 3, {{"Black", 1}, {"Cyan", 1}}}}), 1);
    ASSERT_EQ(driver.processJobStep(), 1);
    ASSERT_EQ(driver.processJobStep(), 1);   // stops after line 1 of Cyan
    EXPECT_STREQ(job.request.statusText, " 33%");
    EXPECT_EQ(job.request.statusKind, 3);
    EXPECT_GT(runToEnd(), 0);
    std::vector<std::pair<int, int>> order;
    for (const auto& l : engine->lines) order.emplace_back(l.line, l.plane);
    EXPECT_EQ(order, (std::vector<std::pair<int, int>>{{0, 1}, {0, 0}, {1, 1}, {1, 0}, {2, 1}, {2, 0}}));
    for (const auto& c : engine->calls) EXPECT_EQ(c.find("Plane("), std::string::npos) << c;
}

TEST_F(PageEngine, RasterFileWithoutPrefixIsFound) {
    job.write({cmykPage(8, 1)});
    const std::string prefixed = ZUJob::GetFileName(2, job.request.jobFilePath).c_str();
    const std::string plain = ZUJob::GetFileName(0, job.request.jobFilePath).c_str();
    ASSERT_NE(prefixed, plain);
    std::filesystem::rename(prefixed, plain);
    ASSERT_EQ(driver.openJob(&job.request, &port), 1);
    EXPECT_GT(runToEnd(), 0);
    EXPECT_EQ(engine->lines.size(), 4u);
}

TEST_F(PageEngine, TruncatedRasterFileRefusesTheJob) {
    job.write({cmykPage(64, 16)});
    const std::filesystem::path raster = ZUJob::GetFileName(2, job.request.jobFilePath).c_str();
    const auto whole = readBytes(raster);
    RVLogCapture log;
    for (size_t size : {size_t{0}, size_t{20}, whole.size() / 2, whole.size() - 1}) {
        writeBytes(raster, std::vector<unsigned char>(whole.begin(), whole.begin() + static_cast<long>(size)));
        job.request.portCode = 256;
        EXPECT_EQ(driver.openJob(&job.request, &port), 0) << size;
        EXPECT_EQ(job.request.portCode, -1);
    }
    EXPECT_FALSE(log.messages().empty());
}

TEST(ColorModeList, NamesAreFoundWholeAndIgnoringCase) {
    RecordingEngine engine;
    EXPECT_EQ(engine.FindColorMode("grayscale"), 2);
    EXPECT_EQ(engine.FindColorMode("Gray"), -1);
    EXPECT_EQ(engine.FindColorMode("cmyk (8 BITS)"), 5);
    EXPECT_EQ(engine.FindColorMode("SpotColors"), 10);
    EXPECT_EQ(engine.FindColorMode(""), -1);
    EXPECT_EQ(engine.FindColorMode(nullptr), -1);

    char name[64] = "junk";
    int flag = 0;
    EXPECT_EQ(engine.GetColorModeName(10, &flag, name, nullptr), 11);
    EXPECT_STREQ(name, "SpotColors");
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(engine.GetColorModeName(11, &flag, name, nullptr), 0);
    EXPECT_STREQ(name, "");
    EXPECT_EQ(engine.GetDefaultColorMode(name, nullptr), 0);
    EXPECT_STREQ(name, "CMYK");
}

}  // namespace
