// Raster job files written and read back: PackBits lines, pages of every
// depth and shape, tiled pages, and the reader's answers to bad requests.
#include "AGroupImage.h"
#include "RasterTestFiles.h"
#include "TempBaseFolder.h"
#include "ZUPackBits.h"
#include "ZURasterFormat.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <functional>
#include <random>

namespace fs = std::filesystem;

// Folded (64 bytes and more) or not, the CRC is zlib's: lengths around the fold sizes.
TEST(Crc32, EqualsZlibForEveryLength) {
    EXPECT_EQ(ZURasterFormat::Crc32(reinterpret_cast<const uint8_t*>("123456789"), 9), 0xCBF43926u);
    std::mt19937 rng(5);
    std::vector<uint8_t> data(21601);
    for (uint8_t& b : data) b = uint8_t(rng());
    for (const size_t size : {0, 1, 63, 64, 65, 79, 80, 127, 128, 129, 191, 192, 255, 1000, 21601})
        EXPECT_EQ(ZURasterFormat::Crc32(data.data(), size), crc32(0, data.data(), uInt(size))) << size;
}

namespace {

// PackBits' token rules a byte at a time: a run of two or more where no literal is pending, unless it is
// a run of two that a literal byte follows; literals end at a run of four or after 128 bytes.
std::vector<uint8_t> packByteWise(const std::vector<uint8_t>& in) {
    const size_t size = in.size();
    const auto quadAt = [&](size_t k) {
        return k + 3 < size && in[k] == in[k + 1] && in[k] == in[k + 2] && in[k] == in[k + 3];
    };
    std::vector<uint8_t> out;
    for (size_t i = 0; i < size;) {
        size_t run = 1;
        while (run < 128 && i + run < size && in[i + run] == in[i]) ++run;
        if (run >= 2 && !(run == 2 && i + 3 < size && in[i + 2] != in[i + 3])) {
            out.insert(out.end(), {uint8_t(1 - int(run)), in[i]});
            i += run;
            continue;
        }
        size_t end = i + 1;
        while (end < size && end - i < 128 && !quadAt(end)) ++end;
        out.push_back(uint8_t(end - i - 1));
        out.insert(out.end(), in.begin() + long(i), in.begin() + long(end));
        i = end;
    }
    return out;
}

}  // namespace

// The rows a page has pack to the tokens the rules give, within the bound the
// file format reserves, unpack to the same bytes, and not from one byte less.
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
    const auto halftone = [&](size_t i) { return uint8_t((i / 5 % 3) ? 0xAA : 0x55); };
    const auto noise = [&](size_t) { return uint8_t(rng()); };
    const auto empty = [](size_t) { return uint8_t(0); };
    const auto ink = [](size_t) { return uint8_t(0xFF); };
    const auto textLike = [&](size_t i) { return uint8_t(i % 97 < 60 ? 0 : (i % 7 < 3 ? 0xFF : rng() % 4)); };
    // A run of four, ten runs of three, then a run of two that a literal byte follows, just past the
    // 32 bytes after the first run.
    const auto scanEdge = [](size_t i) { return uint8_t(i < 4 ? 1 : i < 34 ? 2 + (i - 4) / 3 % 2 : i < 36 ? 4 : i); };
    const std::function<uint8_t(size_t)> kinds[] = {halftone, noise,         empty,          ink,     textLike,
                                                    scanEdge, randomRuns(4), randomRuns(300)};
    // Widths around the word, scan and literal sizes: 1 to 9 bytes, 31 to 35, 63 to 65, 127 to 131, and wide rows.
    for (int round = 0; round < 10; ++round)
        for (const size_t size : {1, 2, 3, 7, 8, 9, 31, 32, 33, 35, 63, 64, 65, 127, 128, 129, 131, 257, 700, 2701})
            for (const auto& kind : kinds) {
                std::vector<uint8_t> line(size);
                for (size_t i = 0; i < size; ++i) line[i] = kind(i);
                std::vector<uint8_t> packed(ZUPackBits::MaxPackedSize(size));
                const size_t n = ZUPackBits::Pack(line.data(), size, packed.data());
                ASSERT_EQ(std::vector<uint8_t>(packed.begin(), packed.begin() + long(n)), packByteWise(line)) << size;
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

// Mixed depths, one row, one column, widths that end inside a byte and a page
// of two tiles, written plane after plane and line-interleaved.
TEST(RasterRoundTrip, EveryShapeReadsBackInBothLineOrders) {
    TempBaseFolder base;
    const fs::path path = base.temp() / "job.zrs";
    std::vector<TestPage> pages = SmallJob();   // page 1 is tiled
    const std::vector<TestPage> shapes = {
        {45, 9, {{"Cyan", 1, "cyan"}, {"Light Black", 2, "lk"}, {"Black", 8, "black"}}},
        {1, 1, {{"K", 1}}},
        {1, 300, {{"K", 2}, {"C", 8}}},
        {1000, 1, {{"K", 8}}},
        {1003, 3, {{"K", 1}}},
    };
    pages.insert(pages.end(), shapes.begin(), shapes.end());
    ZUJob job;
    for (bool interleaved : {false, true}) {
        SCOPED_TRACE(interleaved ? "interleaved" : "plane after plane");
        WritePatternJob(path, pages, interleaved);
        ASSERT_EQ(job.Load(path.c_str()), 1);
        ASSERT_EQ(job.OpenData(), 1);
        EXPECT_TRUE(JobMatchesPattern(job, pages, false));
        EXPECT_TRUE(JobMatchesPattern(job, pages, true));
    }
    const AImage* image = job.GetImage(2);
    ASSERT_EQ(image->GetColorants().size(), 3u);
    EXPECT_EQ(image->GetColorants()[1]->GetName(), "Light Black");
    EXPECT_EQ(image->GetColorants()[1]->GetInternalName(), "lk");
    EXPECT_EQ(image->GetColorants()[1]->GetDepth(), 2);
    auto* group = dynamic_cast<AGroupImage*>(job.GetImage(1));
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->GetWidth(), 30);
    EXPECT_EQ(group->GetHeight(), 7);
    uint8_t buffer[64];
    EXPECT_EQ(group->ReadLine(0, 0, buffer, sizeof buffer), 0);   // the group has no lines of its own

    // Released images are made again on demand.
    EXPECT_EQ(job.Flush(), 1);
    EXPECT_TRUE(JobMatchesPattern(job, pages));
}

// Noise written every plane per line, more of it than the writer gathers for a plane at a time, in groups
// of three equal lines that also straddle a written chunk: each group is stored once, and every line
// reads back in both orders.
TEST(RasterRoundTrip, PlanesGatheredInChunksStoreRepeatsOnceAndReadBack) {
    TempBaseFolder base;
    const fs::path path = base.temp() / "noise.zrs";
    const auto noise = [](int, int, int plane, int y, int, int width) {
        std::vector<uint8_t> line(static_cast<size_t>(width));
        std::mt19937 rng(uint32_t(plane * 1000 + y / 3));
        for (uint8_t& b : line) b = uint8_t(rng());
        return line;
    };
    constexpr int kWidth = 9000, kHeight = 400;
    writeRasterFile(path, {{kWidth, kHeight, {{"C", 8}, {"K", 8}}}}, noise, true);
    EXPECT_LT(fs::file_size(path), 2u * kWidth * kHeight / 2);   // a third of the lines, and their index
    ZUJob job;
    ASSERT_EQ(job.Load(path.c_str()), 1);
    ASSERT_EQ(job.OpenData(), 1);
    std::vector<uint8_t> line(kWidth);
    for (bool lineMajor : {false, true})
        for (int i = 0; i < 2 * kHeight; ++i) {
            const int plane = lineMajor ? i % 2 : i / kHeight, y = lineMajor ? i / 2 : i % kHeight;
            ASSERT_EQ(job.GetImage(0)->ReadLine(plane, y, line.data(), line.size()), 1) << plane << " " << y;
            ASSERT_EQ(line, noise(0, 0, plane, y, 8, kWidth)) << plane << " " << y;
        }
}

// Indexes out of range and short buffers are refused on every replay of the
// raster fuzz corpus; here, what that cannot reach: a job not loaded or not opened.
TEST(ZUJob, ReadLineRefusesUnopenedDataAndNoBuffer) {
    TempBaseFolder base;
    const fs::path path = base.temp() / "job.zrs";
    WritePatternJob(path, SmallJob());
    ZUJob job;
    EXPECT_EQ(job.GetPageCount(), 0);
    EXPECT_EQ(job.GetImage(0), nullptr);
    EXPECT_EQ(job.OpenData(), 0);
    ASSERT_EQ(job.Load(path.c_str()), 1);
    AImage* image = job.GetImage(0);
    ASSERT_NE(image, nullptr);
    uint8_t buffer[64];
    EXPECT_EQ(image->ReadLine(0, 0, buffer, sizeof buffer), 0);   // before OpenData
    EXPECT_EQ(job.OpenData(1), 0);
    ASSERT_EQ(job.OpenData(), 1);
    EXPECT_EQ(image->ReadLine(1, 4, buffer, 21), 1);              // 8-bit line of 21 pixels
    EXPECT_EQ(image->ReadLine(0, 0, nullptr, sizeof buffer), 0);
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
