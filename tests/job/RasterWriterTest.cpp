#include "RasterTestFiles.h"
#include "TempBaseFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Runs `misuse` on a fresh writer and checks it fails with a reason, stays
// failed and leaves neither the file nor its temporary behind.
void ExpectRefused(const char* what, const std::function<bool(ZURasterWriter&)>& misuse) {
    SCOPED_TRACE(what);
    TempBaseFolder base;
    const fs::path path = base.temp() / "job.zrs";
    ZURasterWriter w;
    ASSERT_TRUE(w.Create(path.c_str()));
    EXPECT_FALSE(misuse(w));
    EXPECT_FALSE(w.GetError().IsEmpty());
    EXPECT_FALSE(w.Finish());
    EXPECT_FALSE(fs::exists(path));
    EXPECT_FALSE(fs::exists(path.string() + ".part"));
}

const uint8_t kLine[64] = {};

}  // namespace

TEST(RasterWriter, RefusesBadSizesAndCallOrder) {
    ExpectRefused("zero width", [](ZURasterWriter& w) { return w.BeginPage(0, 10); });
    ExpectRefused("huge height", [](ZURasterWriter& w) { return w.BeginPage(10, 262145); });
    ExpectRefused("huge tile", [](ZURasterWriter& w) {
        return w.BeginTiledPage(10, 10) && w.AddPlane("K", "K", 1) && w.BeginTile(262145, 1);
    });
    ExpectRefused("depth 4", [](ZURasterWriter& w) { return w.BeginPage(10, 10) && w.AddPlane("K", "K", 4); });
    ExpectRefused("17 planes", [](ZURasterWriter& w) {
        bool ok = w.BeginPage(10, 10);
        for (int i = 0; i < 17 && ok; ++i) ok = w.AddPlane("K", "K", 1);
        return ok;
    });
    ExpectRefused("long name", [](ZURasterWriter& w) {
        return w.BeginPage(10, 10) && w.AddPlane(std::string(256, 'x').c_str(), "K", 1);
    });
    ExpectRefused("no planes", [](ZURasterWriter& w) { return w.BeginPage(10, 1) && w.WriteLine(0, 0, kLine, 64); });
    ExpectRefused("plane after line", [](ZURasterWriter& w) {
        return w.BeginPage(10, 2) && w.AddPlane("K", "K", 1) && w.WriteLine(0, 0, kLine, 64) && w.AddPlane("C", "C", 1);
    });
    ExpectRefused("line twice", [](ZURasterWriter& w) {
        return w.BeginPage(10, 2) && w.AddPlane("K", "K", 1) && w.WriteLine(0, 1, kLine, 64) && w.WriteLine(0, 1, kLine, 64);
    });
    ExpectRefused("line outside", [](ZURasterWriter& w) {
        return w.BeginPage(10, 2) && w.AddPlane("K", "K", 1) && w.WriteLine(0, 2, kLine, 64);
    });
    ExpectRefused("short data", [](ZURasterWriter& w) {
        return w.BeginPage(10, 2) && w.AddPlane("K", "K", 8) && w.WriteLine(0, 0, kLine, 9);
    });
    ExpectRefused("missing line", [](ZURasterWriter& w) {
        return w.BeginPage(10, 2) && w.AddPlane("K", "K", 1) && w.WriteLine(0, 0, kLine, 64) && w.EndPage();
    });
    ExpectRefused("missing tile line", [](ZURasterWriter& w) {
        return w.BeginTiledPage(10, 2) && w.AddPlane("K", "K", 1) && w.BeginTile(5, 2) &&
               w.WriteLine(0, 0, kLine, 64) && w.BeginTile(5, 2);
    });
    ExpectRefused("tile on plain page", [](ZURasterWriter& w) {
        return w.BeginPage(10, 2) && w.AddPlane("K", "K", 1) && w.BeginTile(5, 2);
    });
    ExpectRefused("line before tile", [](ZURasterWriter& w) {
        return w.BeginTiledPage(10, 2) && w.AddPlane("K", "K", 1) && w.WriteLine(0, 0, kLine, 64);
    });
    ExpectRefused("tiled page without tiles", [](ZURasterWriter& w) {
        return w.BeginTiledPage(10, 2) && w.AddPlane("K", "K", 1) && w.EndPage();
    });
    ExpectRefused("page left open", [](ZURasterWriter& w) {
        return w.BeginPage(1, 1) && w.AddPlane("K", "K", 1) && w.WriteLine(0, 0, kLine, 1) && w.Finish();
    });
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
        ASSERT_TRUE(abandoned.Create(path.c_str()) && abandoned.BeginPage(8, 1) && abandoned.AddPlane("K", "K", 1));
        EXPECT_TRUE(fs::exists(path.string() + ".part"));
    }
    EXPECT_FALSE(fs::exists(path.string() + ".part"));
    ZUJob job;
    ASSERT_EQ(job.Load(path.c_str()), 1);
    EXPECT_EQ(job.GetPageCount(), 2);

    const std::vector<TestPage> one = {{{9, 2}, {{"K", "K", 1}}, {}}};
    WritePatternJob(path, one);
    ASSERT_EQ(job.Load(path.c_str()), 1);
    ASSERT_EQ(job.OpenData(), 1);
    EXPECT_TRUE(JobMatchesPattern(job, one));
}

TEST(RasterWriter, ReportsFullDiskAndLeavesNoFile) {
    TempBaseFolder base;
    const fs::path path = base.temp() / "big.zrs";
    // The file size limit stands in for a full disk; it is set in a child so
    // that the test process keeps its own limits.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{64 * 1024, 64 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        ZURasterWriter w;
        std::vector<uint8_t> line(4096);
        bool ok = w.Create(path.c_str()) && w.BeginPage(4096, 200) && w.AddPlane("K", "K", 8);
        for (int y = 0; y < 200 && ok; ++y) {
            for (size_t i = 0; i < line.size(); ++i) line[i] = uint8_t(i * 7 + size_t(y) * (i % 5));
            ok = w.WriteLine(0, y, line.data(), line.size());
        }
        ok = ok && w.EndPage() && w.Finish();
        const bool reported = !ok && w.GetError().Find("cannot write") != -1;
        _exit(reported ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(fs::exists(path));
    EXPECT_FALSE(fs::exists(path.string() + ".part"));
}
