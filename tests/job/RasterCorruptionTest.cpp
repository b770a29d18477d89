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
    bool LoadsEdited(std::vector<unsigned char> bytes) {
        Reseal(bytes);
        writeBytes(path_, bytes);
        ZUJob job;
        return job.Load(path_.c_str()) == 1;
    }
    size_t Dir() const { return size_t(DirectoryOffset(bytes_)); }
    // The page table record of the first page's image: after the page record and its plane records.
    size_t FirstImageRecord() const {
        size_t at = Dir() + 16;
        const std::vector<TestPage> job = SmallJob();
        for (const TestPlane& plane : job[0].planes) at += 4 + plane.name.size() + plane.internalName.size();
        return at;
    }
    // The pages as the library reads them from the good file.
    std::vector<ZURasterPage> Pages() const {
        std::vector<ZURasterPage> pages;
        EXPECT_TRUE(ZURasterDirectory::Parse(bytes_.data() + Dir(), bytes_.size() - Dir(), 2, Dir(), pages));
        return pages;
    }

    TempBaseFolder base_;
    fs::path good_ = base_.temp() / "good.zrs";
    fs::path path_ = base_.temp() / "bad.zrs";
    std::vector<unsigned char> bytes_;
};

}  // namespace

TEST_F(DamagedJob, EveryTruncatedPrefixFailsToLoad) {
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
}

TEST_F(DamagedJob, FileCutAfterLoadFailsAtOpenDataOrLineRead) {
    ZUJob job;
    ASSERT_EQ(job.Load(good_.c_str()), 1);
    fs::resize_file(good_, bytes_.size() - 1);
    EXPECT_EQ(job.OpenData(), 0);

    writeBytes(good_, bytes_);
    ASSERT_EQ(job.Load(good_.c_str()), 1);
    ASSERT_EQ(job.OpenData(), 1);
    AImage* image = job.GetImage(0);
    uint8_t line[64];
    ASSERT_EQ(image->ReadLine(1, 0, line, sizeof line), 1);
    fs::resize_file(good_, 60);
    EXPECT_EQ(image->ReadLine(1, 4, line, sizeof line), 0);
    EXPECT_EQ(ReadEveryLine(job), 0);
}

TEST_F(DamagedJob, EverySingleByteChangeIsDetected) {
    for (size_t at = 0; at < bytes_.size(); ++at) {
        std::vector<unsigned char> bad = bytes_;
        bad[at] ^= 0x5A;
        ASSERT_FALSE(ReadsIntact(bad)) << "byte " << at;
    }
}

TEST_F(DamagedJob, HostileHeaderFieldsAreRefused) {
    EXPECT_TRUE(LoadsEdited(bytes_));
    auto edited = [&](size_t at, uint64_t value, int width) {
        std::vector<unsigned char> bad = bytes_;
        if (width == 2) Put16(bad.data() + at, uint16_t(value));
        else if (width == 4) Put32(bad.data() + at, uint32_t(value));
        else Put64(bad.data() + at, value);
        return bad;
    };
    EXPECT_FALSE(LoadsEdited(edited(4, 2, 2))) << "version 2";
    EXPECT_FALSE(LoadsEdited(edited(6, 48, 2))) << "header size";
    EXPECT_FALSE(LoadsEdited(edited(8, 3, 4))) << "more pages than the table holds";
    EXPECT_FALSE(LoadsEdited(edited(8, 0xFFFFFFFF, 4))) << "page count";
    EXPECT_FALSE(LoadsEdited(edited(12, 1, 4))) << "flags";
    EXPECT_FALSE(LoadsEdited(edited(16, 8, 8))) << "table inside the header";
    EXPECT_FALSE(LoadsEdited(edited(16, ~0ull, 8))) << "table past the end";
    EXPECT_FALSE(LoadsEdited(edited(24, ~0ull, 8))) << "table size";
    std::vector<unsigned char> badMagic = bytes_;
    badMagic[3] = 0;
    EXPECT_FALSE(LoadsEdited(badMagic));
}

TEST_F(DamagedJob, HostilePageTableIsRefused) {
    const size_t dir = Dir();
    const size_t image = FirstImageRecord();
    auto with = [&](size_t at, uint64_t value, int width) {
        std::vector<unsigned char> bad = bytes_;
        if (width == 1) bad[at] = uint8_t(value);
        else if (width == 4) Put32(bad.data() + at, uint32_t(value));
        else Put64(bad.data() + at, value);
        return LoadsEdited(bad);
    };
    EXPECT_TRUE(with(dir + 4, 21, 4)) << "the same width again";
    EXPECT_FALSE(with(dir + 0, 3, 1)) << "page kind";
    EXPECT_FALSE(with(dir + 1, 0, 1)) << "no planes";
    EXPECT_FALSE(with(dir + 1, 17, 1)) << "17 planes";
    EXPECT_FALSE(with(dir + 2, 1, 1)) << "reserved byte";
    EXPECT_FALSE(with(dir + 4, 0xFFFFFFFF, 4)) << "page width";
    EXPECT_FALSE(with(dir + 8, 0, 4)) << "page height";
    EXPECT_FALSE(with(dir + 12, 2, 4)) << "two images on a plain page";
    EXPECT_FALSE(with(dir + 16, 3, 1)) << "depth 3";
    EXPECT_FALSE(with(dir + 17, 200, 1)) << "name past the table";
    EXPECT_FALSE(with(dir + 20, 0, 1)) << "NUL in a name";
    EXPECT_FALSE(with(image + 0, 22, 4)) << "image wider than its page";
    EXPECT_FALSE(with(image + 4, 262145, 4)) << "image height";
    EXPECT_FALSE(with(image + 8, 0, 8)) << "data inside the header";
    EXPECT_FALSE(with(image + 16, ~0ull - 100, 8)) << "data size wraps around";
    EXPECT_FALSE(with(image + 16, dir, 8)) << "data runs into the page table";
    EXPECT_FALSE(with(image + 24, dir - 16, 8)) << "index runs into the page table";
    EXPECT_FALSE(with(image + 24, 40, 8)) << "index overlaps the data";
    std::vector<unsigned char> manyTiles = bytes_;
    Put32(manyTiles.data() + image + 32 + 12, 1025);
    EXPECT_FALSE(LoadsEdited(manyTiles)) << "1025 tiles";
}

TEST_F(DamagedJob, HostileLineEntriesFailOnlyTheirLine) {
    const std::vector<ZURasterPage> pages = Pages();
    ASSERT_EQ(pages.size(), 2u);
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
