// The job counter: drawing, storing and formatting the next free job number.
#include "KIPUniqueId.h"
#include "RVLog.h"
#include "TempBaseFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

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

// Claims a name by making its folder, as the driver claims a job folder.
KIPUniqueId::Claim makeFolder(const AFilePath& path) {
    return fs::create_directory(path.c_str()) ? KIPUniqueId::Claim::Made : KIPUniqueId::Claim::Taken;
}

// Inside the counter's lock, only one process at a time: the hook marks the
// window with a file of its own and notes when another process is in it too.
std::string g_window;
void widenWindow() {
    const std::string inside = g_window + ".inside";
    const int fd = open(inside.c_str(), O_CREAT | O_EXCL | O_WRONLY, 0644);
    if (fd < 0) close(open((g_window + ".overlap").c_str(), O_CREAT | O_WRONLY, 0644));
    usleep(2000);
    if (fd >= 0) {
        close(fd);
        unlink(inside.c_str());
    }
}
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

// Four print queues, each a process drawing ten job folders in one output
// folder, with the window between reading the counter and making the folder
// widened: every draw gets its own folder and the counter counts them all.
TEST(UniqueId, ConcurrentProcessesDrawDistinctNumbersAndCountEveryDraw) {
    CounterFixture f;
    g_window = (f.base.path() / "window").string();
    KIPUniqueId::drawWindowHook = widenWindow;
    std::vector<pid_t> queues;
    for (int p = 0; p < 4; ++p) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            for (int job = 0; job < 10; ++job) KIPUniqueId().SubstituteUniqueId(f.out, "plan_uniqID", "", makeFolder);
            _exit(0);
        }
        queues.push_back(pid);
    }
    KIPUniqueId::drawWindowHook = nullptr;
    for (const pid_t pid : queues) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_FALSE(fs::exists(g_window + ".overlap")) << "two processes drew at the same time";
    for (int n = 1; n <= 41; ++n) EXPECT_EQ(fs::is_directory(f.base.path() / ("plan_" + std::to_string(n))), n <= 40) << n;
    EXPECT_EQ(f.stored(), bytes(40));
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
