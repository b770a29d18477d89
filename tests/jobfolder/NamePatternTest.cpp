// Names of the files and folders of a job: pattern ids, document base names, job stems.
#include "KIPModelSettings.h"
#include "KIPNamePattern.h"

#include <gtest/gtest.h>

#include <string>

namespace {
std::string expand(const KIPModelSettings& s, const char* pattern, const char* color = "Cyan", int page = 3,
                   int tile = 0, int strip = 0) {
    return KIPNamePattern::ExpandNamePattern(s, pattern, "plan", color, page, tile, strip).Text().str();
}
std::string base(const char* document) { return KIPNamePattern::MakeBaseName(document).str(); }
}  // namespace

// Listed names themselves are read back from the poster tiles of tests/hostprog/EndToEndTest.cpp.
TEST(NamePattern, OnlyTheFirstOfEachTokenIsReplacedAndIdsWithoutAnEntryStayNumbersAndNames) {
    KIPModelSettings s;
    s.tileNames.Add("A");
    s.tileNames.Add("B");
    s.colorNames["Cyan"] = "C";
    s.colorNames["Black"] = "";
    EXPECT_EQ(expand(s, "tileID", "", 1, 2), "2");
    EXPECT_EQ(expand(s, "tileID", "", 1, -1), "-1");
    EXPECT_EQ(expand(s, "colorID", "Black"), "Black");   // an empty mapping is none
    EXPECT_EQ(expand(s, "colorID", "cyan"), "cyan");
    EXPECT_EQ(expand(s, "colorID_pageID_colorID_pageID_filename_filename"), "C_3_colorID_pageID_plan_filename");
}

TEST(BaseName, FollowsTheDocumentNameRulesAndSurvivesDegenerateNames) {
    const char* cases[][2] = {
        {"C:(old) my plan.rev,final.pdf", "myplan_final"}, {"report(1).final.pdf", "report.final"},
        {"Plain_Name-01", "Plain_Name-01"}, {"a:b:c.pdf", "b:c"}, {":", ""}, {"(((((", "((((("}, {"a)b(c", "a)b(c"},
        {"a(b)c(d", "ac(d"}, {".,.,.,", "__"}, {"(.)(,)(.,)", ""}, {"   ", ""},
    };
    for (const auto& [document, name] : cases) EXPECT_EQ(base(document), name) << document;
}

TEST(JobNameStem, DropsFolderAndExtension) {
    EXPECT_EQ(KIPNamePattern::JobNameStem("/home/u/plan.final.pdf").str(), "plan.final");
    EXPECT_EQ(KIPNamePattern::JobNameStem("C:\\dir.v2\\noext").str(), "noext");
    EXPECT_EQ(KIPNamePattern::JobNameStem("trailing\\").str(), "");
    EXPECT_EQ(KIPNamePattern::FileNamePart("C:\\a/b\\c.pdf").str(), "c.pdf");
}
