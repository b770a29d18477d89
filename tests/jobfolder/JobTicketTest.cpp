// Job ticket and accounting file: token values, template filling and write failures. (Escaping
// hostile job texts: KipJobFolderTest.)
#include "DriverOptions.h"
#include "KIPJobTicket.h"
#include "KIPMediaList.h"
#include "PlatformMessageBox.h"
#include "SystemInfo.h"
#include "TempBaseFolder.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {
SystemTime fixedClock() { return SystemTime{2024, 2, 5, 7, 8, 9}; }

struct TicketFixture {
    TempBaseFolder base;
    KIPJobTicket ticket;
    DriverOptions options{};

    TicketFixture() {
        SystemInfo::SetClock(fixedClock);
        setDefaultOptions(&options);
    }
    ~TicketFixture() { SystemInfo::SetClock(nullptr); }
    void start(int mediaId = 1, const char* sender = "alice") {
        ticket.SetStartTokens("C:\\jobs\\plan.v2.pdf", sender, static_cast<int16_t>(-1), 36.0, mediaId, options);
    }
    const std::string& token(const char* name) const { return ticket.tokens.at(name).str(); }
    AFilePath path(const char* relative) const { return AFilePath(AString((base.path() / relative).string())); }
    std::string fill(const std::string& templateText) {
        base.write("t.txt", templateText);
        EXPECT_EQ(ticket.FillTemplate(path("t.txt"), path("out.txt")), KIPJobTicket::FillResult::Written);
        return readFile(base.path() / "out.txt");
    }
};
}  // namespace

TEST(TicketTokens, StartValuesFollowTheirFormatsEvenForExtremeInputs) {
    TicketFixture f;
    f.options.copies = 3;
    f.options.bypassTray = 1;
    f.start();
    const std::pair<const char*, const char*> values[] = {
        {"RV_COPIES", "3"},           {"RV_FORCE_IGNORE_SMALLER", "11000"}, {"RV_MEDIA_SIZE_MM", "914.4 mm"},
        {"RV_KIP_MEDIA_ID", "0"},     {"RV_KIP_MEDIA_TYPE", "MediaType:-1"}, {"RV_KIP_MEDIA_NAME", "CustomMedia1"},
        {"RV_DATE", "2024-02-05 07:08:09"}, {"RV_WIDTHDPI", "-1"},          {"RV_FILE_NAME", "plan.v2.pdf"},
        {"RV_ORIGINALFILE", "C:\\jobs\\plan.v2.pdf"}};
    for (const auto& [token, value] : values) EXPECT_EQ(f.token(token), value) << token;
    const std::string computer = SystemInfo::ComputerName().str();
    EXPECT_EQ(f.token("RV_COMPUTER_NAME"), computer.empty() ? "alice" : computer);
    EXPECT_EQ(f.token("RV_SENDER_NAME"), "alice/" + f.token("RV_COMPUTER_NAME"));

    f.options.copies = -1;
    f.options.bypassTray = 0;
    f.start(INT_MIN, "");
    EXPECT_EQ(f.token("RV_COPIES"), "-1");
    EXPECT_EQ(f.token("RV_FORCE_IGNORE_SMALLER"), "01000");
    EXPECT_EQ(f.token("RV_KIP_MEDIA_ID"), "-2147483649");
    EXPECT_EQ(f.token("RV_KIP_MEDIA_TYPE"), "MediaType:2147483648");
    EXPECT_EQ(f.token("RV_SENDER_NAME"), "/" + f.token("RV_COMPUTER_NAME"));
}

// The coverage of an ordinary page is checked in the tickets jobs leave (tests/hostprog/EndToEndTest.cpp).
TEST(TicketTokens, CoverageOfAnEmptyOrAHugePageIsStillAPercent) {
    TicketFixture f;
    f.start();
    // An empty page (or a 32-bit area that wraps to 0) gives no division by zero.
    const double ink[4] = {50.0, 25.0, 0.0, 100.0};
    f.ticket.SetCoverageTokens("job_7", ink, 65536, 65536);
    EXPECT_EQ(f.token("RV_ALL_COVERAGE"), "0.000000");
    // A long page past 2^31 pixels still has a positive area.
    const double half[4] = {0.0, 0.0, 0.0, 65536.0 * 20000};
    f.ticket.SetCoverageTokens("job_7", half, 65536, 40000);
    EXPECT_EQ(f.token("RV_BLACK_COVERAGE"), "50.000000");
}

TEST(FillTemplate, ReplacesOnlyTheFirstOccurrenceInKeyOrder) {
    TicketFixture f;
    f.options.copies = 2;
    f.start();
    EXPECT_EQ(f.fill("<c>RV_COPIES</c><c>RV_COPIES</c><p>RV_PAGE_COUNT</p>"),
              "<c>2</c><c>RV_COPIES</c><p>1</p>");
    // The template ends at its first zero byte.
    EXPECT_EQ(f.fill(std::string("n=RV_PAGE_COUNT\0RV_COPIES tail", 30)), "n=1");
    // A value is never searched for tokens: "A" becomes "B", which the later token "B" leaves alone.
    f.ticket.tokens = {{"A", "B"}, {"B", "x"}, {"C", "A"}};
    EXPECT_EQ(f.fill("A C B"), "B A x");
}

TEST(WriteTicket, KeepsExistingTicketsAndNamesEachFailureWithoutPartialOutput) {
    TicketFixture f;
    f.start();
    using R = KIPJobTicket::FillResult;
    f.base.write("t.txt", "RV_COPIES");
    // A folder is no template; a device that cannot take the ticket is not removed.
    EXPECT_EQ(f.ticket.FillTemplate(f.path("Temp"), f.path("o.txt")), R::TemplateUnreadable);
    EXPECT_FALSE(fs::exists(f.base.path() / "o.txt"));
    EXPECT_EQ(f.ticket.FillTemplate(f.path("t.txt"), AFilePath("/dev/full")), R::OutputNotWritten);
    EXPECT_TRUE(fs::exists("/dev/full"));

    f.base.write("OutputDrivers/JobTicketTemplates/T.xml", "<n>RV_PAGE_COUNT</n>");
    f.base.write("job/JobTicket.xml", "old");
    MessageBoxCapture boxes;
    EXPECT_EQ(f.ticket.WriteTicket(f.path("job/JobTicket.xml"), "T.xml"), R::Written);
    EXPECT_EQ(readFile(f.base.path() / "job/JobTicket.xml"), "old");
    EXPECT_TRUE(boxes.texts().empty());
    EXPECT_EQ(f.ticket.WriteTicket(f.path("job/X.xml"), "Missing.xml"), R::TemplateUnreadable);
    EXPECT_EQ(f.ticket.WriteTicket(f.path("nofolder/X.xml"), "T.xml"), R::OutputNotCreated);
    EXPECT_EQ(boxes.texts(), (std::vector<std::string>{"Cannot open job ticket template file",
                                                       "Cannot create job ticket file"}));
}

TEST(AccountingFile, CarriesCoverageIntoTheTokensSkipsAMissingTemplateAndFailsAnUnwrittenFile) {
    TicketFixture f;
    f.start();
    f.base.write("OutputDrivers/JobTicketTemplates/Acc.txt", "RV_FOLDERNAME;RV_BLACK_COVERAGE;RV_ALL_COVERAGE");
    fs::create_directories(f.base.path() / "out" / "plan_3");
    const double ink[4] = {0.0, 0.0, 0.0, 1.0};
    MessageBoxCapture boxes;
    EXPECT_TRUE(f.ticket.WriteAccountingFile(f.path("out/plan_3"), "Acc.txt", "acc.txt", ink, 2, 2));
    EXPECT_EQ(readFile(f.base.path() / "out/plan_3/acc.txt"), "plan_3;25.000000;25.000000");
    EXPECT_EQ(f.token("RV_BLACK_COVERAGE"), "25.000000");
    EXPECT_TRUE(f.ticket.WriteAccountingFile(f.path("out/plan_3"), "Missing.txt", "acc2.txt", ink, 2, 2));
    EXPECT_FALSE(fs::exists(f.base.path() / "out/plan_3/acc2.txt"));
    EXPECT_FALSE(f.ticket.WriteAccountingFile(f.path("out/none"), "Acc.txt", "acc.txt", ink, 2, 2));
    EXPECT_TRUE(boxes.texts().empty());
}

TEST(CustomMediaName, ReadsTheWholeLineOfExactlyThatMedium) {
    const AString text = "CustomMedia12=Film\nCustomMedia1=Bond~Roll~80g\r\nCustomMedia3=\nCustomMedia9=Open end";
    EXPECT_EQ(KIPJobTicket::CustomMediaName(text, 1).str(), "Bond - Roll - 80g");
    EXPECT_EQ(KIPJobTicket::CustomMediaName(text, 12).str(), "Film");
    EXPECT_EQ(KIPJobTicket::CustomMediaName(text, 3).str(), "");
    EXPECT_EQ(KIPJobTicket::CustomMediaName(text, 9).str(), "CustomMedia9");   // no line feed
    EXPECT_EQ(KIPJobTicket::CustomMediaName(text, 4).str(), "CustomMedia4");
}

TEST(RollMediaList, StopsAfterRollTwentyAndSkipsBadLines) {
    struct Case { std::string text; std::vector<int> ids; };
    const Case cases[] = {
        {"Roll25Media={3}\n", {}},
        {"Roll20Media={3}\nRoll2Media={4}\n", {4, 3}},
        {"Roll1Media={0}\nRoll2Media={-3}\nRoll3Media=7\nRoll4Media={2}", {}},
        {"Roll1Media=5\nRoll2Media={6}\n", {6}},   // a "={" on a later line is not roll 1's
        {"Roll1Media={99999999999}\n", {INT_MAX}},
        {"Roll21Media={5}\nRoll22Media={6}\n", {5, 6}},   // rolls past twenty are read while there is no gap
    };
    for (const Case& c : cases) {
        MediaList media;
        KIPMediaList::ParseRolls(c.text, media);
        std::vector<int> ids;
        for (const MediaEntry& m : media) ids.push_back(m.id);
        EXPECT_EQ(ids, c.ids) << c.text;
    }
    MediaList media;
    KIPMediaList::ParseRolls(("Roll1Media={2}\nCustomMedia2=" + std::string(600, 'w') + "\n").c_str(), media);
    ASSERT_EQ(media.size(), 1u);
    EXPECT_EQ(std::string(media[0].displayName), std::string(255, 'w'));
}
