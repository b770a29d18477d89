// The options block: defaults, validity and the "DriverOptionBinary" text.
#include "DriverOptions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {
DriverOptions filled(uint8_t value) {
    DriverOptions block;
    std::memset(&block, value, sizeof block);
    return block;
}

const uint8_t* bytes(const DriverOptions& block) { return reinterpret_cast<const uint8_t*>(&block); }

// Reads text from a heap copy of exactly its size, so that any read past the
// terminator is caught by the address sanitizer.
bool readExact(const std::string& text, DriverOptions* block) {
    std::unique_ptr<char[]> copy(new char[text.size() + 1]);
    std::memcpy(copy.get(), text.c_str(), text.size() + 1);
    return ReadDriverOptionText(copy.get(), block);
}
}  // namespace

TEST(OptionsBlock, DefaultsTouchOnlyTheFirstNineBytes) {
    DriverOptions block = filled(0xAA);
    setDefaultOptions(&block);
    const uint8_t expected[9] = {20, 0, 0, 0, 1, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(bytes(block), expected, 9), 0);
    for (int i = 9; i < kOptionsSize; ++i) EXPECT_EQ(bytes(block)[i], 0xAA) << i;
}

TEST(OptionsBlock, ValidationResetsOnlyAWrongVersion) {
    DriverOptions wrong = filled(0x33);
    wrong.optionsVersion = 21;
    ValidateOptionsBlock(&wrong);
    EXPECT_TRUE(IsValidOptions(&wrong));
    EXPECT_EQ(wrong.copies, 1);
    EXPECT_EQ(wrong.fileType, 0);

    DriverOptions valid = filled(0x77);
    valid.optionsVersion = 20;
    const DriverOptions before = valid;
    ValidateOptionsBlock(&valid);
    EXPECT_EQ(std::memcmp(&valid, &before, sizeof valid), 0);
}

TEST(OptionsText, MissingKeyOrEqualsLeavesBlockUnchanged) {
    for (const char* text : {"", "Other=1401", "DriverOptionBinar=14", "DriverOptionBinary 1401"}) {
        DriverOptions block = filled(0x5A);
        EXPECT_FALSE(readExact(text, &block)) << text;
        for (int i = 0; i < kOptionsSize; ++i) ASSERT_EQ(bytes(block)[i], 0x5A) << text;
    }
}

TEST(OptionsText, FullValueFillsTwoHundredBytesAndKeepsTheRest) {
    DriverOptions block = filled(0xEE);
    const std::string value = "1401000001" + std::string(390, '0');
    EXPECT_TRUE(readExact("Name=KIP\nDriverOptionBinary  =" + value + "\nNext=1", &block));
    EXPECT_EQ(block.optionsVersion, 20);
    EXPECT_EQ(block.fileType, 1);
    EXPECT_EQ(block.copies, 1);
    for (int i = 2; i < kOptionsTextBytes; ++i) {
        if (i != 4) {
            ASSERT_EQ(bytes(block)[i], 0) << i;
        }
    }
    for (int i = kOptionsTextBytes; i < kOptionsSize; ++i) ASSERT_EQ(bytes(block)[i], 0xEE) << i;
}

TEST(OptionsText, PairsParseLikeTwoCharacterHexFields) {
    DriverOptions block = filled(0x11);
    EXPECT_TRUE(readExact("DriverOptionBinary=zzA?ffFF", &block));
    EXPECT_EQ(bytes(block)[0], 0);     // no digit at all
    EXPECT_EQ(bytes(block)[1], 0x0A);  // digit, then a non-digit
    EXPECT_EQ(bytes(block)[2], 0xFF);
    EXPECT_EQ(bytes(block)[3], 0xFF);
    EXPECT_EQ(bytes(block)[4], 0x11);
}

TEST(OptionsText, ShortValueStopsAtTheTerminator) {
    DriverOptions block = filled(0x11);
    EXPECT_TRUE(readExact("DriverOptionBinary=1402A", &block));
    EXPECT_EQ(bytes(block)[0], 0x14);
    EXPECT_EQ(bytes(block)[1], 0x02);
    EXPECT_EQ(bytes(block)[2], 0x0A);  // a lone final digit
    for (int i = 3; i < kOptionsSize; ++i) ASSERT_EQ(bytes(block)[i], 0x11) << i;

    DriverOptions empty = filled(0x22);
    EXPECT_TRUE(readExact("DriverOptionBinary=", &empty));
    for (int i = 0; i < kOptionsSize; ++i) ASSERT_EQ(bytes(empty)[i], 0x22) << i;
}

TEST(OptionsText, EveryTruncatedPrefixReadsSafely) {
    const std::string text = "DriverOptionBinary=" + std::string(400, '7');
    for (size_t length = 0; length <= text.size(); ++length) {
        DriverOptions block = filled(0);
        readExact(text.substr(0, length), &block);
    }
}
