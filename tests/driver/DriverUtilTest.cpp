// Driver utilities: string table, list texts, splitting, replacing, code pages.
#include "Platform/PlatformMessageBox.h"
#include "RVLog.h"
#include "ZuDrvUtl.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
std::string loadString(int number) {
    char buffer[1024] = {};
    DrvLoadString(number, buffer, sizeof buffer);
    return buffer;
}

// Sets LC_ALL in the environment for one test and restores it afterwards.
class ScopedLcAll {
public:
    explicit ScopedLcAll(const char* value) {
        if (const char* old = std::getenv("LC_ALL")) previous_ = old, had_ = true;
        setenv("LC_ALL", value, 1);
    }
    ~ScopedLcAll() {
        if (had_) setenv("LC_ALL", previous_.c_str(), 1);
        else unsetenv("LC_ALL");
    }

private:
    std::string previous_;
    bool had_ = false;
};
}  // namespace

TEST(StringTable, ListsHaveTheirItemCounts) {
    EXPECT_EQ(DrvCountListItems(loadString(8001).c_str()), 4);
    EXPECT_EQ(DrvCountListItems(loadString(8002).c_str()), 11);
    EXPECT_EQ(DrvCountListItems(loadString(8003).c_str()), 27);
    EXPECT_EQ(DrvCountListItems(loadString(9001).c_str()), 2);
    EXPECT_EQ(DrvCountListItems(loadString(9003).c_str()), 5);

    char item[128];
    EXPECT_EQ(DrvGetListItem(10, loadString(8002).c_str(), item, sizeof item), 11);
    EXPECT_STREQ(item, "SpotColors");
    EXPECT_EQ(DrvGetListItem(4, loadString(9003).c_str(), item, sizeof item), 10);
    EXPECT_STREQ(item, "B&W image");
    EXPECT_EQ(DrvGetListItem(26, loadString(8003).c_str(), item, sizeof item), 6);
    EXPECT_STREQ(item, "Green");
}

TEST(StringTable, MessagesReadAsTheyStand) {
    EXPECT_EQ(loadString(2), "Media table from printer read successfully.");
    EXPECT_EQ(loadString(9002), "The driver doesn't support the current port, please select another port.");
}

TEST(StringTable, MissingNumberLeavesBufferUntouched) {
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(DrvLoadString(12345, buffer, sizeof buffer), 0);
    EXPECT_EQ(DrvLoadString(2, buffer, 0), 0);
    for (char c : buffer) EXPECT_EQ(c, 'x');
}

TEST(StringTable, SmallBufferGetsCutAndTerminatedButLengthIsWhole) {
    char buffer[6];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(DrvLoadString(9001, buffer, sizeof buffer), 9);
    EXPECT_STREQ(buffer, "TIFF,");
}

TEST(ListText, CountsTheLastCharacterAsSeparator) {
    EXPECT_EQ(DrvCountListItems("TIFF,BMP,"), 2);
    EXPECT_EQ(DrvCountListItems("a;b;c;"), 3);
    EXPECT_EQ(DrvCountListItems(""), 0);
    EXPECT_EQ(DrvCountListItems(nullptr), 0);
}

TEST(ListText, GetItemSplitsAtCommasAndReportsEmptyOrMissingItems) {
    char out[64];
    EXPECT_EQ(DrvGetListItem(1, "Cyan,Magenta,", out, sizeof out), 8);
    EXPECT_STREQ(out, "Magenta");
    std::strcpy(out, "junk");
    EXPECT_EQ(DrvGetListItem(2, "TIFF,BMP,", out, sizeof out), 0);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(DrvGetListItem(1, "a,,b,", out, sizeof out), 0);
    EXPECT_EQ(DrvGetListItem(2, "a,,b", out, sizeof out), 2);
    EXPECT_STREQ(out, "b");
    EXPECT_EQ(DrvGetListItem(-1, "a,b,", out, sizeof out), 0);
    EXPECT_EQ(DrvGetListItem(0, nullptr, out, sizeof out), 0);
}

TEST(ListText, GetItemCutsItemsLongerThanTheOutput) {
    char out[4];
    EXPECT_EQ(DrvGetListItem(1, "x,Magenta,", out, sizeof out), 4);
    EXPECT_STREQ(out, "Mag");
}

TEST(SplitFirst, SplitsAtFirstOccurrenceOfFirstDelimiterPresent) {
    AString head;
    EXPECT_EQ(DrvSplitFirst("1,2", ",", head), "2");
    EXPECT_EQ(head, "1");
    EXPECT_EQ(DrvSplitFirst("12", ",", head), "");
    EXPECT_EQ(head, "12");
    // The delimiter order decides, not the position in the text.
    EXPECT_EQ(DrvSplitFirst("a;b,c", ",;", head), "c");
    EXPECT_EQ(head, "a;b");
    EXPECT_EQ(DrvSplitFirst("1,2,3", ",", head), "2,3");
}

TEST(StrReplace, ReplacesSeparateOccurrences) {
    EXPECT_EQ(ZuGetStrReplace("page%d_%d.tif", "%d", "12"), "page12_12.tif");
    EXPECT_EQ(ZuGetStrReplace("no token", "%d", "1"), "no token");
    EXPECT_EQ(ZuGetStrReplace("abc", "", "x"), "abc");
}

TEST(StrReplace, ResumesOnePastTheInsertedText) {
    EXPECT_EQ(ZuGetStrReplace("aa", "a", "b"), "ba");
    EXPECT_EQ(ZuGetStrReplace("%d%d", "%d", ""), "%d");
    EXPECT_EQ(ZuGetStrReplace("a-a", "a", "aa"), "aa-aa");
}

TEST(MessageBox, ShowsTextAndStringsThroughTheCapture) {
    MessageBoxCapture capture(kIdCancel);
    EXPECT_EQ(DrvMessageBox("Plain text"), kIdCancel);
    DrvMessageFromString(9002);
    DrvMessageFromString(4711);
    ASSERT_EQ(capture.texts().size(), 3u);
    EXPECT_EQ(capture.texts()[0], "Plain text");
    EXPECT_EQ(capture.texts()[1], "The driver doesn't support the current port, please select another port.");
    EXPECT_EQ(capture.texts()[2], "");
}

TEST(AnsiToUtf8, ConvertsSingleByteTextFromAPlainLocaleAsWindows1252) {
    ScopedLcAll locale("C");
    const std::string before = std::setlocale(LC_CTYPE, nullptr);
    AString out;
    EXPECT_EQ(DrvAnsiToUtf8("Caf\xE9 \x80", out), 1);
    EXPECT_EQ(out, "Caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(std::setlocale(LC_CTYPE, nullptr), before);
}

TEST(AnsiToUtf8, FailureLeavesOutputUnchanged) {
    AString out("kept");
    EXPECT_EQ(DrvAnsiToUtf8("", out), 0);
    EXPECT_EQ(DrvAnsiToUtf8(nullptr, out), 0);
    {
        // In a UTF-8 locale, text that is not UTF-8 is read as Windows-1252;
        // a byte Windows-1252 leaves undefined converts in neither.
        ScopedLcAll locale("C.UTF-8");
        EXPECT_EQ(DrvAnsiToUtf8("bad \x81", out), 0);
        EXPECT_EQ(out, "kept");
        for (const auto& [text, utf8] : {std::pair{"J\xF6rg \x80", "J\xC3\xB6rg \xE2\x82\xAC"},
                                         std::pair{"J\xC3\xB6rg", "J\xC3\xB6rg"}, std::pair{"fine", "fine"}}) {
            EXPECT_EQ(DrvAnsiToUtf8(text, out), 1) << text;
            EXPECT_EQ(out, utf8);
        }
    }
}
