// Raster job files: PackBits lines and CRCs, the writer's refusals (a file on
// disk is always a finished one), pages of every depth and shape written and
// read back, and damaged files that the reader refuses.
#include "AGroupImage.h"
#include "TempBaseFolder.h"
#include "TestJob.h"
#include "ZUJob.h"
#include "ZUPackBits.h"
#include "ZURasterFormat.h"
#include "ZURasterWriter.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <csignal>
#include <functional>
#include <random>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace ZURasterFormat;

namespace {
// The page's image, or its tiles.
std::vector<AImage*> Images(AImage* page) {
    auto* group = dynamic_cast<AGroupImage*>(page);
    if (!group) return {page};
    std::vector<AImage*> tiles;
    for (int t = 0; t < group->GetImageCount(); ++t) tiles.push_back(group->GetImage(t));
    return tiles;
}

// Writes the pages with the pattern (TestJob::patternTileLine), plane after plane (or every plane
// per line when `interleaved`), garbage in the padding bits; fails the test on any writer error.
void WritePatternJob(const fs::path& path, const std::vector<TestPage>& pages, bool interleaved = false) {
    const auto garbled = [](int page, int tile, int plane, int line, int depth, int width) {
        std::vector<uint8_t> data = TestJob::patternTileLine(page, tile, plane, line, depth, width);
        // Garbage in the padding bits must not reach the file.
        if (depth * width % 8) data.back() |= uint8_t(0xFF >> (depth * width % 8));
        return data;
    };
    writeRasterFile(path, pages, garbled, interleaved);
}

// A small job: a 2-bit/8-bit/1-bit page of 21 x 5 and a tiled page of two tiles.
std::vector<TestPage> SmallJob() {
    return {
        {21, 5, {{"Cyan", 2, "C"}, {"Black", 8, "K"}, {"Gloss", 1, "G"}}},
        {30, 7, {{"Magenta", 8, "M"}, {"Yellow", 1, "Y"}}, {{13, 4}, {17, 3}}},
    };
}

// Reads every line of every image of a loaded, opened job; true when each
// line reads and matches the pattern. With `lineMajor`, reads every plane
// in turn for each line, else all lines of one plane after the other.
bool JobMatchesPattern(ZUJob& job, const std::vector<TestPage>& pages, bool lineMajor = false) {
    if (job.GetPageCount() != int(pages.size())) return false;
    std::vector<uint8_t> buffer(1 << 20);
    for (size_t p = 0; p < pages.size(); ++p) {
        const std::vector<AImage*> images = Images(job.GetImage(int(p)));
        const std::vector<TestTile> sizes = imagesOf(pages[p]);
        if (images.size() != sizes.size()) return false;
        const int planes = int(pages[p].planes.size());
        for (size_t t = 0; t < images.size(); ++t) {
            const int lines = sizes[t].height;
            for (int k = 0; k < planes * lines; ++k) {
                const int plane = lineMajor ? k % planes : k / lines;
                const int line = lineMajor ? k / planes : k % lines;
                const std::vector<uint8_t> expected = TestJob::patternTileLine(
                    int(p), int(t), plane, line, pages[p].planes[size_t(plane)].depth, sizes[t].width);
                if (images[t]->ReadLine(plane, line, buffer.data(), expected.size()) != 1 ||
                    !std::equal(expected.begin(), expected.end(), buffer.begin()))
                    return false;
            }
        }
    }
    return true;
}

const uint8_t kLine[64] = {};

// Begins a plain page of one "K" plane.
bool KPage(ZURasterWriter& w, int width, int height, int depth = 1) {
    return w.BeginPage(width, height) && w.AddPlane("K", "K", depth);
}
// Writes a line of plane 0 from ample data.
bool KLine(ZURasterWriter& w, int line) { return w.WriteLine(0, line, kLine, sizeof kLine); }

// A full disk: runs body in a child whose files stop at limitBytes (SIGXFSZ ignored, so the write
// itself fails); the child's exit status (body's result), -1 when it did not exit.
int RunWithFileSizeLimit(rlim_t limitBytes, const std::function<int()>& body) {
    const pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{limitBytes, limitBytes};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(body());
    }
    int status = -1;
    return waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A valid small job as bytes, and a place to try damaged copies of it.
class DamagedJob : public ::testing::Test {
protected:
    void SetUp() override {
        WritePatternJob(good_, SmallJob());
        bytes_ = readBytes(good_);
    }
    // 1 when the bytes load and open and every line reads back as written.
    bool ReadsIntact(const std::vector<unsigned char>& bytes) {
        writeBytes(path_, bytes);
        ZUJob job;
        return job.Load(path_.c_str()) == 1 && job.OpenData() == 1 && JobMatchesPattern(job, SmallJob());
    }
    // Whether Load accepts the bytes after the page table was edited and resealed.
    bool LoadsEdited(std::vector<unsigned char> bytes) const {
        Reseal(bytes);
        writeBytes(path_, bytes);
        ZUJob job;
        return job.Load(path_.c_str()) == 1;
    }
    // Where the page table starts, from the header.
    size_t Dir() const { return size_t(Get64(bytes_.data() + 16)); }
    // Recomputes the page table and header CRCs after a test edited the bytes.
    void Reseal(std::vector<unsigned char>& bytes) const {
        const size_t dir = std::min(Dir(), bytes.size());
        Put32(bytes.data() + 32, Crc32(bytes.data() + dir, bytes.size() - dir));
        Put32(bytes.data() + 36, Crc32(bytes.data(), 36));
    }
    // The page table record of the first page's image: after the page record (16 bytes) and its
    // plane records (4 bytes and the two names each: "Cyan" "C", "Black" "K", "Gloss" "G").
    size_t FirstImageRecord() const { return Dir() + 16 + 9 + 10 + 10; }

    TempBaseFolder base_;
    fs::path good_ = base_.temp() / "good.zrs";
    fs::path path_ = base_.temp() / "bad.zrs";
    std::vector<unsigned char> bytes_;
};
}  // namespace

// Folded (64 bytes and more) or not, the CRC is zlib's: lengths around the fold sizes.
TEST(Crc32, EqualsZlibForEveryLength) {
    EXPECT_EQ(ZURasterFormat::Crc32(reinterpret_cast<const uint8_t*>("123456789"), 9), 0xCBF43926u);
    const std::vector<uint8_t> data = TestJob::patternLine(0, 0, 0, 8, 21601);
    for (const size_t size : {0, 1, 63, 64, 65, 79, 80, 127, 128, 129, 191, 192, 255, 1000, 21601})
        EXPECT_EQ(ZURasterFormat::Crc32(data.data(), size), crc32(0, data.data(), uInt(size))) << size;
}

// The rows a page has pack within the bound the file format reserves, unpack
// to the same bytes, and not from one byte less.
TEST(PackBits, RowsOfEveryKindRoundTripWithinTheirBound) {
    std::mt19937 rng(7);
    // Runs of one value, of random length up to `longest`, alternate with stretches of 0 to 2.
    const auto randomRuns = [&](size_t longest) {
        return [&rng, longest, left = size_t(0), run = false, value = uint8_t(0)](size_t) mutable {
            if (left-- == 0) {
                left = rng() % longest;
                run = rng() % 2;
                value = uint8_t(rng());
            }
            return run ? value : uint8_t(rng() % 3);
        };
    };
    const auto noise = [&](size_t) { return uint8_t(rng()); };
    const auto empty = [](size_t) { return uint8_t(0); };
    // A run of four, ten runs of three, then a run of two that a literal byte follows, just past the
    // 32 bytes after the first run.
    const auto scanEdge = [](size_t i) { return uint8_t(i < 4 ? 1 : i < 34 ? 2 + (i - 4) / 3 % 2 : i < 36 ? 4 : i); };
    const std::function<uint8_t(size_t)> kinds[] = {noise, empty, scanEdge, randomRuns(4), randomRuns(300)};
    // Widths around the word, scan and literal sizes: 1 to 9 bytes, 31 to 35, 63 to 65, 127 to 131, and wide rows.
    for (int round = 0; round < 10; ++round)
        for (const size_t size : {1, 2, 3, 7, 8, 9, 31, 32, 33, 35, 63, 64, 65, 127, 128, 129, 131, 257, 700, 2701})
            for (const auto& kind : kinds) {
                std::vector<uint8_t> line(size);
                for (size_t i = 0; i < size; ++i) line[i] = kind(i);
                std::vector<uint8_t> packed(ZUPackBits::MaxPackedSize(size));
                const size_t n = ZUPackBits::Pack(line.data(), size, packed.data());
                ASSERT_LE(n, ZURasterFormat::MaxPackedSize(size)) << size;
                std::vector<uint8_t> back(size, 0xAA);
                ASSERT_TRUE(ZUPackBits::Unpack(packed.data(), n, back.data(), size));
                ASSERT_EQ(back, line);
                ASSERT_FALSE(ZUPackBits::Unpack(packed.data(), n - 1, back.data(), size));
            }
}

TEST(PackBits, RefusesMalformedInput) {
    uint8_t out[8];
    const uint8_t noop[] = {0x80, 0x00, 0x01};
    const uint8_t literalPastInput[] = {0x03, 1, 2};
    const uint8_t runPastOutput[] = {0xF8, 7};   // 9 bytes into 8
    const uint8_t runWithoutValue[] = {0xFE};
    const uint8_t tooShort[] = {0xFE, 7};        // 3 bytes of 8
    EXPECT_FALSE(ZUPackBits::Unpack(noop, sizeof noop, out, 1));
    EXPECT_FALSE(ZUPackBits::Unpack(literalPastInput, sizeof literalPastInput, out, 8));
    EXPECT_FALSE(ZUPackBits::Unpack(runPastOutput, sizeof runPastOutput, out, 8));
    EXPECT_FALSE(ZUPackBits::Unpack(runWithoutValue, sizeof runWithoutValue, out, 8));
    EXPECT_FALSE(ZUPackBits::Unpack(tooShort, sizeof tooShort, out, 8));
    EXPECT_TRUE(ZUPackBits::Unpack(tooShort, sizeof tooShort, out, 3));
    // Far from both ends, where tokens are copied in whole chunks: 150 one-byte literals, then a -128 among them.
    std::vector<uint8_t> literals(300, 0), line(150);
    for (size_t k = 1; k < literals.size(); k += 2) literals[k] = uint8_t(k);
    EXPECT_TRUE(ZUPackBits::Unpack(literals.data(), literals.size(), line.data(), line.size()));
    literals[100] = 0x80;
    EXPECT_FALSE(ZUPackBits::Unpack(literals.data(), literals.size(), line.data(), line.size()));
}

// A file that cannot be made and each misuse fail with a reason; the writer stays
// failed and leaves neither the file nor its temporary behind.
TEST(RasterWriter, RefusesFilesItCannotMakeBadSizesAndCallOrder) {
    using W = ZURasterWriter;
    TempBaseFolder base;
    const fs::path path = base.temp() / "job.zrs";
    const std::pair<const char*, std::function<bool(W&)>> misuses[] = {
        {"no folder", [&](W& w) { return w.Create((base.temp() / "no" / "job.zrs").c_str()); }},
        {"no name", [](W& w) { return w.Create(nullptr); }},
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
        {"line before tile", [](W& w) { return w.BeginTiledPage(10, 2) && w.AddPlane("K", "K", 1) && KLine(w, 0); }},
        {"no tiles", [](W& w) { return w.BeginTiledPage(10, 2) && w.AddPlane("K", "K", 1) && w.EndPage(); }},
        {"page left open", [](W& w) { return KPage(w, 1, 1) && w.WriteLine(0, 0, kLine, 1) && w.Finish(); }},
    };
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

TEST(RasterWriter, ErrorNamesTheMissingLineAndTheWriterStaysFailed) {
    TempBaseFolder base;
    ZURasterWriter w;
    ASSERT_TRUE(w.Create((base.temp() / "job.zrs").c_str()));
    ASSERT_TRUE(w.BeginPage(8, 3) && w.AddPlane("C", "C", 1) && w.AddPlane("K", "K", 1));
    for (int line : {0, 1, 2}) ASSERT_TRUE(w.WriteLine(0, line, kLine, 1));
    ASSERT_TRUE(w.WriteLine(1, 0, kLine, 1) && w.WriteLine(1, 2, kLine, 1));
    EXPECT_FALSE(w.EndPage());
    EXPECT_STREQ(w.GetError().c_str(), "page 0: line 1 of plane 1 was not written");
    EXPECT_FALSE(w.WriteLine(1, 1, kLine, 1));
}

TEST(RasterWriter, AnAbandonedFileLeavesTheExistingOneAsItWas) {
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
    ASSERT_EQ(job.OpenData(), 1);
    EXPECT_TRUE(JobMatchesPattern(job, SmallJob()));
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

// Mixed depths, widths that end inside a byte and a page of two tiles (the small job), one pixel, one
// column of more lines than an index block holds and one row, written plane after plane and line-interleaved.
TEST(RasterRoundTrip, EveryShapeReadsBackInBothLineOrders) {
    TempBaseFolder base;
    const fs::path path = base.temp() / "job.zrs";
    std::vector<TestPage> pages = SmallJob();   // page 1 is tiled
    pages.insert(pages.end(), {{1, 1, {{"K", 1}}}, {1, 300, {{"K", 2}, {"C", 8}}}, {1003, 1, {{"K", 1}}}});
    ZUJob job;
    for (bool interleaved : {false, true}) {
        SCOPED_TRACE(interleaved ? "interleaved" : "plane after plane");
        WritePatternJob(path, pages, interleaved);
        ASSERT_EQ(job.Load(path.c_str()), 1);
        ASSERT_EQ(job.OpenData(), 1);
        EXPECT_TRUE(JobMatchesPattern(job, pages, false));
        EXPECT_TRUE(JobMatchesPattern(job, pages, true));
    }
}

// Lines without runs written every plane per line, more of them than the writer gathers for a plane at a
// time, in groups of three equal lines that also straddle a written chunk: each group is stored once, and
// every line reads back in both orders.
TEST(RasterRoundTrip, PlanesGatheredInChunksStoreRepeatsOnceAndReadBack) {
    TempBaseFolder base;
    const fs::path path = base.temp() / "chunks.zrs";
    const auto lines = [](int, int, int plane, int y, int depth, int width) {
        return TestJob::patternLine(0, plane, y / 3, depth, width);
    };
    constexpr int kWidth = 9000, kHeight = 400;
    writeRasterFile(path, {{kWidth, kHeight, {{"C", 8}, {"K", 8}}}}, lines, true);
    EXPECT_LT(fs::file_size(path), 2u * kWidth * kHeight / 2);   // a third of the lines, and their index
    ZUJob job;
    ASSERT_EQ(job.Load(path.c_str()), 1);
    ASSERT_EQ(job.OpenData(), 1);
    std::vector<uint8_t> line(kWidth);
    for (bool lineMajor : {false, true})
        for (int i = 0; i < 2 * kHeight; ++i) {
            const int plane = lineMajor ? i % 2 : i / kHeight, y = lineMajor ? i / 2 : i % kHeight;
            ASSERT_EQ(job.GetImage(0)->ReadLine(plane, y, line.data(), line.size()), 1) << plane << " " << y;
            ASSERT_EQ(line, lines(0, 0, plane, y, 8, kWidth)) << plane << " " << y;
        }
}

TEST(ZUJob, FileNameForPrefixKinds) {
    EXPECT_EQ(ZUJob::GetFileName(2, "/spool/jobs/J0042.job"), "/spool/jobs/J0042.zrs");
    EXPECT_EQ(ZUJob::GetFileName(2, "/spool/v1.2/J0042"), "/spool/v1.2/J0042.zrs");
    EXPECT_EQ(ZUJob::GetFileName(2, "C:\\Spool\\a.b\\J7.tmp.job"), "C:\\Spool\\a.b\\J7.tmp.zrs");
    EXPECT_EQ(ZUJob::GetFileName(2, "/spool/.job"), "/spool/.job.zrs");
    EXPECT_EQ(ZUJob::GetFileName(0, "/spool/jobs/J0042.job"), "/spool/jobs/J0042.job.zrs");
    EXPECT_EQ(ZUJob::GetFileName(1, "/spool/jobs/J0042.job"), "");
    EXPECT_EQ(ZUJob::GetFileName(0, nullptr), "");
}

TEST_F(DamagedJob, EveryTruncatedPrefixFailsToLoadAndEveryByteChangeIsDetected) {
    for (size_t n = 0; n < bytes_.size(); ++n) {
        writeBytes(path_, std::vector<unsigned char>(bytes_.begin(), bytes_.begin() + std::ptrdiff_t(n)));
        ZUJob job;
        ASSERT_EQ(job.Load(path_.c_str()), 0) << "prefix of " << n << " bytes";
        EXPECT_EQ(job.GetPageCount(), 0);
        EXPECT_EQ(job.OpenData(), 0);
    }
    std::vector<unsigned char> longer = bytes_;
    longer.push_back(0);
    EXPECT_FALSE(ReadsIntact(longer));
    EXPECT_TRUE(ReadsIntact(bytes_));
    for (size_t at = 0; at < bytes_.size(); ++at) {
        std::vector<unsigned char> bad = bytes_;
        bad[at] ^= 0x5A;
        ASSERT_FALSE(ReadsIntact(bad)) << "byte " << at;
    }
}

// Indexes out of range and short buffers are refused on every replay of the raster fuzz corpus; here,
// what that cannot reach: lines of a job whose data is not open, or whose file was cut after Load.
TEST_F(DamagedJob, DataNotOpenedOrCutAfterLoadFailsOpenDataOrLineRead) {
    ZUJob job;
    ASSERT_EQ(job.Load(good_.c_str()), 1);
    uint8_t line[64];
    EXPECT_EQ(job.GetImage(0)->ReadLine(0, 0, line, sizeof line), 0);
    EXPECT_EQ(job.OpenData(1), 0);
    fs::resize_file(good_, bytes_.size() - 1);
    EXPECT_EQ(job.OpenData(), 0);

    writeBytes(good_, bytes_);
    ASSERT_EQ(job.Load(good_.c_str()), 1);
    ASSERT_EQ(job.OpenData(), 1);
    EXPECT_EQ(job.GetImage(0)->ReadLine(1, 4, line, 21), 1);   // 8-bit line of 21 pixels
    EXPECT_EQ(job.GetImage(0)->ReadLine(1, 4, nullptr, 21), 0);
    // Cut once the data is open, before any line of plane 0 was read ahead.
    fs::resize_file(good_, 60);
    EXPECT_EQ(job.GetImage(0)->ReadLine(0, 0, line, sizeof line), 0);
}

// A field of each check in the header (offsets from the start) and in the page
// table (from its start, or from the first image record) that Load must refuse
// once the checksum is made to fit again.
TEST_F(DamagedJob, HostileHeaderAndPageTableFieldsAreRefused) {
    enum From { kFile, kTable, kImage };
    struct Case { From from; size_t at; uint64_t value; int width; const char* what; };
    const Case cases[] = {
        {kFile, 4, 2, 2, "version 2"},
        {kFile, 8, 3, 4, "more pages than the table holds"},
        {kFile, 8, 0xFFFFFFFF, 4, "page count"},
        {kFile, 16, ~0ull, 8, "table past the end"},
        {kTable, 0, 3, 1, "page kind"},
        {kTable, 12, 2, 4, "two images on a plain page"},
        {kTable, 16, 3, 1, "depth 3"},
        {kTable, 20, 0, 1, "NUL in a name"},
        {kImage, 0, 22, 4, "image wider than its page"},
        {kImage, 4, 262145, 4, "image height"},
        {kImage, 16, ~0ull - 100, 8, "data size wraps around"},
        {kImage, 24, 40, 8, "index overlaps the data"},
        {kImage, 32 + 12, 1025, 4, "1025 tiles"},
    };
    EXPECT_TRUE(LoadsEdited(bytes_));
    for (const Case& c : cases) {
        const size_t at = c.at + (c.from == kFile ? 0 : c.from == kTable ? Dir() : FirstImageRecord());
        std::vector<unsigned char> bad = bytes_;
        if (c.width == 1) bad[at] = uint8_t(c.value);
        else if (c.width == 2) Put16(bad.data() + at, uint16_t(c.value));
        else if (c.width == 4) Put32(bad.data() + at, uint32_t(c.value));
        else Put64(bad.data() + at, c.value);
        EXPECT_FALSE(LoadsEdited(bad)) << c.what;
    }
}
