#include "KIPUniqueId.h"
#include "RVLog.h"
#include "TempBaseFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {
std::vector<unsigned char> bytes(uint32_t v) {
    return {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v >> 16),
            static_cast<unsigned char>(v >> 24)};
}

struct CounterFixture {
    TempBaseFolder base;
    fs::path counter = base.temp() / "KIPUniqIDCounter";
    AFilePath out = AFilePath(AString(base.path().string()));
    KIPUniqueId id;

    void store(uint32_t value) { writeBytes(counter, bytes(value)); }
    std::vector<unsigned char> stored() const { return readBytes(counter); }
    std::string substitute(const char* name, const char* format = "") {
        return id.SubstituteUniqueId(out, name, format).str();
    }
};
}  // namespace

TEST(UniqueId, FirstDrawWithoutCounterFileIsOneAndIsStored) {
    CounterFixture f;
    EXPECT_EQ(f.substitute("plan_uniqID"), "plan_1");
    EXPECT_EQ(f.stored(), bytes(1));
    EXPECT_EQ(f.id.uniqueCounter, 1);
}

TEST(UniqueId, SkipsNumbersWhoseNameExists) {
    CounterFixture f;
    f.store(41);
    fs::create_directory(f.base.path() / "plan_42");
    EXPECT_EQ(f.substitute("plan_uniqID"), "plan_43");
    EXPECT_EQ(f.stored(), bytes(43));
}

TEST(UniqueId, ModelFormatPadsTheNumber) {
    CounterFixture f;
    f.store(6);
    EXPECT_EQ(f.substitute("plan_uniqID", "%05d"), "plan_00007");
}

TEST(UniqueId, NameWithoutTokenDrawsNothing) {
    CounterFixture f;
    f.store(9);
    EXPECT_EQ(f.substitute("plan_%d_uniqid"), "plan_%d_uniqid");
    EXPECT_EQ(f.id.uniqueCounter, -1);
    EXPECT_EQ(f.stored(), bytes(9));
}

TEST(UniqueId, LaterNamesReuseTheNumberWithoutTheFile) {
    CounterFixture f;
    EXPECT_EQ(f.substitute("job_uniqID"), "job_1");
    f.store(500);
    fs::create_directory(f.base.path() / "job_1");   // no existence check either
    EXPECT_EQ(f.substitute("100%_%s_uniqID_%n.tif", "%03d"), "100%_%s_001_%n.tif");
    // Only the template's own "uniqID" takes the number; text put into it stays as it is.
    KIPTemplateText name("filename_uniqID");
    name.ReplaceFirst("filename", "%05d uniqID");
    EXPECT_EQ(f.id.SubstituteUniqueId(f.out, name, "").str(), "%05d uniqID_1");
    EXPECT_EQ(f.substitute("job_uniqID"), "job_1");
    EXPECT_EQ(f.stored(), bytes(500));
    // Another object draws its own number.
    KIPUniqueId other;
    EXPECT_EQ(other.SubstituteUniqueId(f.out, "job_uniqID", "").str(), "job_501");
}

TEST(UniqueId, ShortOrOddCounterFilesStillGiveAPositiveNumber) {
    CounterFixture f;
    writeBytes(f.counter, {7, 0});
    EXPECT_EQ(f.substitute("a_uniqID"), "a_1");
    KIPUniqueId second;
    f.store(0x7FFFFFFF);
    EXPECT_EQ(second.SubstituteUniqueId(f.out, "a_uniqID", "").str(), "a_1");
    KIPUniqueId third;
    f.store(0xFFFFFFFE);   // would be -1, the "not drawn" mark
    EXPECT_EQ(third.SubstituteUniqueId(f.out, "b_uniqID", "").str(), "b_1");
    EXPECT_EQ(third.uniqueCounter, 1);
}

TEST(UniqueId, CounterFileIsReplacedWholeAndNoTempFileRemains) {
    CounterFixture f;
    // A temporary file left behind by a crashed writer is not the counter.
    writeBytes(f.base.temp() / "KIPUniqIDCounter.0badf00d.tmp", bytes(1000));
    f.store(20);
    EXPECT_EQ(f.substitute("j_uniqID"), "j_21");
    EXPECT_EQ(f.stored(), bytes(21));
    std::vector<std::string> entries;
    for (const auto& e : fs::directory_iterator(f.base.temp())) entries.push_back(e.path().filename().string());
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"KIPUniqIDCounter", "KIPUniqIDCounter.0badf00d.tmp"}));
}

TEST(UniqueId, UnwritableCounterIsIgnoredAndLeavesNoTempFile) {
    CounterFixture f;
    fs::create_directory(f.counter);   // neither readable nor replaceable as a file
    EXPECT_EQ(f.substitute("k_uniqID"), "k_1");
    EXPECT_TRUE(fs::is_directory(f.counter));
    EXPECT_EQ(std::distance(fs::directory_iterator(f.base.temp()), fs::directory_iterator()), 1);
}

TEST(UniqueId, ConstantNameThatExistsGivesUpWithALogLine) {
    CounterFixture f;
    fs::create_directory(f.base.path() / "fixed");
    RVLogCapture log;
    EXPECT_EQ(f.substitute("uniqID", "fixed"), "fixed");
    EXPECT_EQ(log.messages().size(), 1u);
}

TEST(UniqueId, HostileNamesAreFormattedSafely) {
    struct Case { const char* pattern; const char* expected; int32_t value = 255; };
    const Case cases[] = {
        {"%s%n", "%s%n"},
        {"%", "%"},
        {"50%", "50%"},
        {"%%d", "%d"},
        {"%d%i%u", "777", 7},
        {"%x-%X-%o", "ff-FF-377"},
        {"%ld.%lld.%hhd.%zu", "255.255.255.255"},
        {"%-4d|%+d|% d|%#x", "255 |+255| 255|0xff"},
        {"%.5d", "00255"},
        {"%f %p %c %*d %", "%f %p %c %*d %"},
        {"%l", "%l"},
        {"%05", "%05"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(KIPUniqueId::FormatCounter(c.pattern, c.value).str(), c.expected) << c.pattern;
    }
    // Widths are capped instead of producing huge names.
    EXPECT_EQ(KIPUniqueId::FormatCounter("%999999999999d", 1).GetLength(), 64);
    EXPECT_EQ(KIPUniqueId::FormatCounter("%.1000d", 1).GetLength(), 64);
    const std::string longName(100000, 'n');
    EXPECT_EQ(KIPUniqueId::FormatCounter((longName + "%d").c_str(), 3).str(), longName + "3");
}
