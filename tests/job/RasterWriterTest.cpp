// The raster writer's refusals: bad sizes, calls out of order, files that
// cannot be made or written; a file on disk is always a finished one.
#include "FileSizeLimit.h"
#include "RasterTestFiles.h"
#include "TempBaseFolder.h"
#include "ZURasterWriter.h"

#include <gtest/gtest.h>

#include <functional>

namespace fs = std::filesystem;

namespace {
const uint8_t kLine[64] = {};

// Begins a plain page of one "K" plane.
bool KPage(ZURasterWriter& w, int width, int height, int depth = 1) {
    return w.BeginPage(width, height) && w.AddPlane("K", "K", depth);
}
bool KTiledPage(ZURasterWriter& w, int width, int height) {
    return w.BeginTiledPage(width, height) && w.AddPlane("K", "K", 1);
}
// Writes a line of plane 0 from ample data.
bool KLine(ZURasterWriter& w, int line) { return w.WriteLine(0, line, kLine, sizeof kLine); }
}  // namespace

// Each misuse fails with a reason; the writer stays failed and leaves neither
// the file nor its temporary behind.
TEST(RasterWriter, RefusesBadSizesAndCallOrder) {
    using W = ZURasterWriter;
    const std::pair<const char*, std::function<bool(W&)>> misuses[] = {
        {"zero width", [](W& w) { return w.BeginPage(0, 10); }},
        {"depth 4", [](W& w) { return KPage(w, 10, 10, 4); }},
        {"17 planes",
         [](W& w) {
             bool ok = w.BeginPage(10, 10);
             for (int i = 0; i < 17 && ok; ++i) ok = w.AddPlane("K", "K", 1);
             return ok;
         }},
        {"long name", [](W& w) { return w.BeginPage(10, 10) && w.AddPlane(std::string(256, 'x').c_str(), "K", 1); }},
        {"no planes", [](W& w) { return w.BeginPage(10, 1) && KLine(w, 0); }},
        {"plane after line", [](W& w) { return KPage(w, 10, 2) && KLine(w, 0) && w.AddPlane("C", "C", 1); }},
        {"line twice", [](W& w) { return KPage(w, 10, 2) && KLine(w, 1) && KLine(w, 1); }},
        {"line outside", [](W& w) { return KPage(w, 10, 2) && KLine(w, 2); }},
        {"short data", [](W& w) { return KPage(w, 10, 2, 8) && w.WriteLine(0, 0, kLine, 9); }},
        {"tile on plain page", [](W& w) { return KPage(w, 10, 2) && w.BeginTile(5, 2); }},
        {"line before tile", [](W& w) { return KTiledPage(w, 10, 2) && KLine(w, 0); }},
        {"tiled page without tiles", [](W& w) { return KTiledPage(w, 10, 2) && w.EndPage(); }},
        {"page left open", [](W& w) { return KPage(w, 1, 1) && w.WriteLine(0, 0, kLine, 1) && w.Finish(); }},
    };
    TempBaseFolder base;
    const fs::path path = base.temp() / "job.zrs";
    for (const auto& [what, misuse] : misuses) {
        SCOPED_TRACE(what);
        ZURasterWriter w;
        ASSERT_TRUE(w.Create(path.c_str()));
        EXPECT_FALSE(misuse(w));
        EXPECT_FALSE(w.GetError().IsEmpty());
        EXPECT_FALSE(w.Finish());
        EXPECT_FALSE(fs::exists(path));
        EXPECT_FALSE(fs::exists(path.string() + ".part"));
    }
}

TEST(RasterWriter, ErrorsNameTheMissingLineOrTheFileThatCannotBeMade) {
    TempBaseFolder base;
    ZURasterWriter w;
    EXPECT_FALSE(w.Create((base.temp() / "no" / "job.zrs").c_str()));
    EXPECT_NE(w.GetError().Find("cannot create"), -1);
    EXPECT_FALSE(w.Create(nullptr));
    ASSERT_TRUE(w.Create((base.temp() / "job.zrs").c_str()));
    ASSERT_TRUE(w.BeginPage(8, 3) && w.AddPlane("C", "C", 1) && w.AddPlane("K", "K", 1));
    for (int line : {0, 1, 2}) ASSERT_TRUE(w.WriteLine(0, line, kLine, 1));
    ASSERT_TRUE(w.WriteLine(1, 0, kLine, 1) && w.WriteLine(1, 2, kLine, 1));
    EXPECT_FALSE(w.EndPage());
    EXPECT_STREQ(w.GetError().c_str(), "page 0: line 1 of plane 1 was not written");
    EXPECT_FALSE(w.WriteLine(1, 1, kLine, 1));
}

TEST(RasterWriter, ExistingFileIsReplacedOnlyByAFinishedOne) {
    TempBaseFolder base;
    const fs::path path = base.temp() / "job.zrs";
    WritePatternJob(path, SmallJob());
    {
        ZURasterWriter abandoned;
        ASSERT_TRUE(abandoned.Create(path.c_str()) && KPage(abandoned, 8, 1));
        EXPECT_TRUE(fs::exists(path.string() + ".part"));
    }
    EXPECT_FALSE(fs::exists(path.string() + ".part"));
    ZUJob job;
    ASSERT_EQ(job.Load(path.c_str()), 1);
    EXPECT_EQ(job.GetPageCount(), 2);

    const std::vector<TestPage> one = {{9, 2, {{"K", 1}}}};
    WritePatternJob(path, one);
    ASSERT_EQ(job.Load(path.c_str()), 1);
    ASSERT_EQ(job.OpenData(), 1);
    EXPECT_TRUE(JobMatchesPattern(job, one));
}

TEST(RasterWriter, ReportsFullDiskAndLeavesNoFile) {
    TempBaseFolder base;
    const fs::path path = base.temp() / "big.zrs";
    const int status = RunWithFileSizeLimit(64 * 1024, [&] {
        ZURasterWriter w;
        bool ok = w.Create(path.c_str()) && KPage(w, 4096, 200, 8);
        for (int y = 0; y < 200 && ok; ++y) ok = w.WriteLine(0, y, TestJob::patternLine(0, 0, y, 8, 4096).data(), 4096);
        ok = ok && w.EndPage() && w.Finish();
        return !ok && w.GetError().Find("cannot write") != -1 ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(fs::exists(path));
    EXPECT_FALSE(fs::exists(path.string() + ".part"));
}
