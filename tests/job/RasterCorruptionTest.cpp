#include "RasterTestFiles.h"
#include "TempBaseFolder.h"
#include "ZURasterDirectory.h"
#include "ZURasterFormat.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace ZURasterFormat;

namespace {

// A valid small job as bytes, and a place to try damaged copies of it.
class DamagedJob : public ::testing::Test {
protected:
    void SetUp() override {
        WritePatternJob(good_, SmallJob());
        bytes_ = readBytes(good_);
        ASSERT_GT(bytes_.size(), 200u);
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

TEST_F(DamagedJob, FileCutAfterLoadFailsAtOpenDataOrLineRead) {
    ZUJob job;
    ASSERT_EQ(job.Load(good_.c_str()), 1);
    fs::resize_file(good_, bytes_.size() - 1);
    EXPECT_EQ(job.OpenData(), 0);

    writeBytes(good_, bytes_);
    ASSERT_EQ(job.Load(good_.c_str()), 1);
    ASSERT_EQ(job.OpenData(), 1);
    // Cut once the data is open (lines read before a cut may still come from the read-ahead).
    fs::resize_file(good_, 60);
    EXPECT_EQ(ReadEveryLine(job), 0);
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

TEST_F(DamagedJob, HostileLineEntriesFailOnlyTheirLine) {
    std::vector<ZURasterPage> pages;
    ASSERT_TRUE(ZURasterDirectory::Parse(bytes_.data() + Dir(), bytes_.size() - Dir(), 2, Dir(), pages));
    const size_t index = size_t(pages[0].images[0].indexOffset);
    const uint64_t dataStart = pages[0].images[0].dataOffset;
    // Entries of plane 0: line 0 points at the next image's bytes, line 1 is
    // huge, line 2 starts before the image's data.
    std::vector<unsigned char> bad = bytes_;
    Put64(bad.data() + index, pages[1].images[0].dataOffset);
    Put32(bad.data() + index + 16 + 8, 0xFFFFFFF0);
    Put64(bad.data() + index + 32, dataStart - 1);
    writeBytes(path_, bad);
    ZUJob job;
    ASSERT_EQ(job.Load(path_.c_str()), 1);
    ASSERT_EQ(job.OpenData(), 1);
    uint8_t line[64];
    AImage* page = job.GetImage(0);
    EXPECT_EQ(page->ReadLine(0, 0, line, sizeof line), 0);
    EXPECT_EQ(page->ReadLine(0, 1, line, sizeof line), 0);
    EXPECT_EQ(page->ReadLine(0, 2, line, sizeof line), 0);
    EXPECT_EQ(page->ReadLine(0, 3, line, sizeof line), 1);
    EXPECT_EQ(page->ReadLine(1, 0, line, sizeof line), 1);
}
