// The job counter: drawing, storing and formatting the next free job number.
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

// A first number, and the same number kept for the job's later names, are checked through the module (KipJobFolderTest).
TEST(UniqueId, DrawsStoresAndPadsTheNextFreeNumberOnlyForTheTokenOrGivesUp) {
    CounterFixture f;
    f.store(41);
    fs::create_directory(f.base.path() / "plan_00042");
    EXPECT_EQ(f.substitute("plan_uniqID", "%05d"), "plan_00043");   // 42 exists
    EXPECT_EQ(f.stored(), bytes(43));
    KIPUniqueId other;
    EXPECT_EQ(other.SubstituteUniqueId(f.out, "plan_%d_uniqid", "").str(), "plan_%d_uniqid");
    EXPECT_EQ(other.uniqueCounter, -1);
    EXPECT_EQ(f.stored(), bytes(43));
    // A format without a number gives one name whatever is drawn: when it exists, the draw gives up.
    fs::create_directory(f.base.path() / "fixed");
    RVLogCapture log;
    EXPECT_EQ(other.SubstituteUniqueId(f.out, "uniqID", "fixed").str(), "fixed");
    EXPECT_EQ(log.messages().size(), 1u);
}

TEST(UniqueId, MissingShortOrOddCounterFilesStillGiveAPositiveNumberAndKeepIt) {
    // No Temp folder at all; a file too short to hold a number; the largest number.
    const std::vector<unsigned char> noTemp;
    for (const std::vector<unsigned char>& counter : {noTemp, std::vector<unsigned char>{7, 0}, bytes(0x7FFFFFFF)}) {
        CounterFixture f;
        if (counter.empty())
            fs::remove_all(f.base.temp());
        else
            writeBytes(f.counter, counter);
        EXPECT_EQ(f.substitute("a_uniqID"), "a_1");
        EXPECT_EQ(f.id.uniqueCounter, 1);
        EXPECT_EQ(f.stored(), bytes(1));
    }
}

TEST(UniqueId, LogsANumberItCannotKeep) {
    CounterFixture f;
    fs::create_directory(f.counter);   // neither lockable nor readable as a file
    RVLogCapture log;
    EXPECT_EQ(f.substitute("k_uniqID"), "k_1");
    EXPECT_TRUE(fs::is_directory(f.counter));
    ASSERT_EQ(log.messages().size(), 2u);
    EXPECT_NE(log.messages()[0].find("cannot be kept"), std::string::npos);
}

TEST(UniqueId, AClaimedNameThatIsTakenDrawsTheNextNumber) {
    CounterFixture f;
    const auto makeFolder = [](const AFilePath& path) {
        return fs::create_directory(path.c_str()) ? KIPUniqueId::Claim::Made : KIPUniqueId::Claim::Taken;
    };
    f.store(41);
    fs::create_directory(f.base.path() / "plan_42");
    EXPECT_EQ(f.id.SubstituteUniqueId(f.out, "plan_uniqID", "", makeFolder).str(), "plan_43");
    EXPECT_TRUE(fs::is_directory(f.base.path() / "plan_43"));
    // The same name again on this object: taken, so the next number, and the counter follows.
    EXPECT_EQ(f.id.SubstituteUniqueId(f.out, "plan_uniqID", "", makeFolder).str(), "plan_44");
    EXPECT_EQ(f.id.uniqueCounter, 44);
    EXPECT_EQ(f.stored(), bytes(44));
    // A free name keeps the number; a name without a number is claimed as it is.
    EXPECT_EQ(f.id.SubstituteUniqueId(f.out, "site_uniqID", "", makeFolder).str(), "site_44");
    EXPECT_EQ(f.id.SubstituteUniqueId(f.out, "fixed", "", makeFolder).str(), "fixed");
    EXPECT_TRUE(fs::is_directory(f.base.path() / "fixed"));
    EXPECT_EQ(f.stored(), bytes(44));
}

TEST(UniqueId, HostileNamesAreFormattedSafely) {
    struct Case { const char* pattern; const char* expected; int32_t value = 255; };
    // One row per kind of conversion: kept as text, cut short by the end, escaped, signed or
    // unsigned, with lengths, flags or a precision.
    const Case cases[] = {
        {"%s%n", "%s%n"},           {"%", "%"},
        {"%05", "%05"},             {"%%d", "%d"},
        {"%d%i%u", "777", 7},       {"%ld.%lld.%hhd.%zu", "255.255.255.255"},
        {"%-4d|%+d|% d|%#x", "255 |+255| 255|0xff"},
        {"%.5d", "00255"},
    };
    for (const Case& c : cases) EXPECT_EQ(KIPUniqueId::FormatCounter(c.pattern, c.value).str(), c.expected) << c.pattern;
    // Widths are capped instead of producing huge names.
    EXPECT_EQ(KIPUniqueId::FormatCounter("%999999999999d", 1).GetLength(), 64);
    const std::string longName(100000, 'n');
    EXPECT_EQ(KIPUniqueId::FormatCounter((longName + "%d").c_str(), 3).str(), longName + "3");
}
