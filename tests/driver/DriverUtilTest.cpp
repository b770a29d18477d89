// Driver utilities where their edges reach the user: job-ticket text converted
// to UTF-8, the "DriverOptionBinary" text read without reading past its end,
// and the file class.
#include "AFM_File.h"
#include "DriverOptions.h"
#include "TempBaseFolder.h"
#include "TestJob.h"
#include "ZuDrvUtl.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

namespace {
const uint8_t* bytes(const DriverOptions& block) { return reinterpret_cast<const uint8_t*>(&block); }

// Reads text from a heap copy of exactly its size, so that any read past the
// terminator is caught by the address sanitizer.
bool readExact(const std::string& text, DriverOptions* block) {
    std::unique_ptr<char[]> copy(new char[text.size() + 1]);
    std::memcpy(copy.get(), text.c_str(), text.size() + 1);
    return ReadDriverOptionText(copy.get(), block);
}
}  // namespace

TEST(AnsiToUtf8, PlainLocaleReadsWindows1252AndFailureLeavesOutputUnchanged) {
    // Every test runs in its own process, so the locale set here reaches no other test.
    setenv("LC_ALL", "C", 1);
    const std::string before = std::setlocale(LC_CTYPE, nullptr);
    AString out;
    EXPECT_EQ(DrvAnsiToUtf8("Caf\xE9 \x80", out), 1);
    EXPECT_EQ(out, "Caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(std::setlocale(LC_CTYPE, nullptr), before);
    // A byte Windows-1252 leaves undefined converts in no code set.
    EXPECT_EQ(DrvAnsiToUtf8("bad \x81", out), 0);
    EXPECT_EQ(DrvAnsiToUtf8(nullptr, out), 0);
    EXPECT_EQ(out, "Caf\xC3\xA9 \xE2\x82\xAC");
    unsetenv("LC_ALL");
}

TEST(OptionsText, PairsFillAtMost200BytesAndEveryPrefixReadsSafely) {
    struct Case { std::string text; bool found; std::string expected; };   // expected: the first bytes
    const Case cases[] = {
        {"DriverOptionBinar=14", false, ""},
        {"DriverOptionBinary 1401", false, ""},
        {"DriverOptionBinary=zzA?ffFF", true, std::string("\x00\x0A\xFF\xFF", 4)},   // like 2-character hex fields
        {"DriverOptionBinary=1402A", true, "\x14\x02\x0A"},                           // a lone final digit
        {"Name=KIP\nDriverOptionBinary  =1401000001", true, std::string("\x14\x01\x00\x00\x01", 5)},
    };
    for (const Case& c : cases) {
        DriverOptions block = filledOptions(0x5A);
        EXPECT_EQ(readExact(c.text, &block), c.found) << c.text;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes(block)), c.expected.size()), c.expected) << c.text;
        for (size_t i = c.expected.size(); i < kOptionsSize; ++i) ASSERT_EQ(bytes(block)[i], 0x5A) << c.text << i;
    }
    const std::string full = "DriverOptionBinary=" + std::string(400, '7');
    DriverOptions block = filledOptions(0xEE);
    EXPECT_TRUE(readExact(full + "77", &block));
    EXPECT_EQ(bytes(block)[kOptionsTextBytes - 1], 0x77);
    EXPECT_EQ(bytes(block)[kOptionsTextBytes], 0xEE);
    for (size_t length = 0; length <= full.size(); ++length) readExact(full.substr(0, length), &block);
}

TEST(AFMFile, SplitsPathsAndReadsWritesSeeksTruncatesAndDeletes) {
    TempBaseFolder base;
    const std::string folder = (base.path() / "sub").string();
    std::filesystem::create_directories(folder);
    AFM_File file;
    char text[AFM_File::kPathSize];
    EXPECT_EQ(file.GetFolder(text, sizeof text), 0);   // closed
    EXPECT_EQ(file.GetFileName(text, sizeof text), 0);
    EXPECT_EQ(file.Tell(), -1);
    EXPECT_FALSE(file.Open((folder + "/x").c_str(), 3));
    EXPECT_FALSE(file.IsOpen());
    // Folder and name split at the last separator of either kind.
    const std::string path = folder + "/a\\b.job";
    ASSERT_TRUE(file.Open(path.c_str(), AFM_File::kReadWrite));
    EXPECT_EQ(file.GetFolder(text, sizeof text), 1);
    EXPECT_EQ(std::string(text), folder + "/a");
    EXPECT_EQ(file.GetFileName(text, sizeof text), 1);
    EXPECT_STREQ(text, "b.job");

    EXPECT_EQ(file.Write("abcdef", 6, 0, AFM_File::kBegin), 6u);
    EXPECT_EQ(file.Write("XY", 2, -3, AFM_File::kEnd), 2u);
    char buffer[8] = {};
    EXPECT_EQ(file.Read(buffer, 8, 1, AFM_File::kBegin), 5u);   // stops at the end
    EXPECT_STREQ(buffer, "bcXYf");
    EXPECT_EQ(file.Read(buffer, 1, 0, 7), 0u);                  // unknown origin
    EXPECT_EQ(file.Seek(2, AFM_File::kBegin), 1);
    EXPECT_EQ(file.Tell(), 2);
    EXPECT_EQ(file.Truncate(), 1);
    EXPECT_EQ(std::filesystem::file_size(path), 2u);
    EXPECT_EQ(file.Delete(), 1);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(file.Delete(), 0);

    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(base.path());
    AFM_File plain;
    ASSERT_TRUE(plain.Open("plain.job", AFM_File::kWrite));
    EXPECT_EQ(plain.GetFolder(text, sizeof text), 1);
    EXPECT_STREQ(text, "");
    plain.Close();
    std::filesystem::current_path(previous);
}
