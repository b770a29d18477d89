// The output engine base: buffered port writes, pixel replication, paper
// info and the default halftone tables.
#include "DriverError.h"
#include "RecordingEngine.h"
#include "TempBaseFolder.h"

#include "Platform/PlatformMessageBox.h"
#include "RVLog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kLimit = static_cast<int>(ABaseRTL::kWriteBufferLimit);

// An engine that writes for a job with a port context, as the driver starts it.
struct WriteNdata : ::testing::Test {
    WriteNdata() {
        request.portContext = 0x1122334455667788ULL;
        job.request = &request;
    }
    JobRequest request{};
    DriverJob job{};
    RecordingPort port;
    RecordingEngine engine{&job, &port};
};

std::vector<uint8_t> bytes(size_t n, uint8_t value = 0xAB) { return std::vector<uint8_t>(n, value); }

TEST_F(WriteNdata, BuffersUpToTheLimitAndSendsLargerWritesDirectly) {
    const auto data = bytes(kLimit);
    EXPECT_EQ(engine.WriteNdata(nullptr, 0, 1), 0);   // nothing buffered: nothing sent
    EXPECT_EQ(engine.WriteNdata(data.data(), kLimit, 0), kLimit);
    EXPECT_TRUE(port.writes.empty());
    const uint8_t one = 0x5A;
    engine.WriteNdata(&one, 1, 0);   // the full buffer goes first
    ASSERT_EQ(port.writes.size(), 1u);
    EXPECT_EQ(port.writes[0].bytes.size(), static_cast<size_t>(kLimit));
    EXPECT_EQ(port.writes[0].context, request.portContext);
    const uint8_t tail[3] = {1, 2, 3};
    EXPECT_EQ(engine.WriteNdata(tail, 3, 1), 3);   // flushing: the waiting byte, then the new data
    ASSERT_EQ(port.writes.size(), 3u);
    EXPECT_EQ(port.writes[1].bytes, std::vector<uint8_t>{0x5A});
    EXPECT_EQ(port.writes[2].bytes, std::vector<uint8_t>(tail, tail + 3));

    const auto large = bytes(kLimit + 1, 0x11);
    engine.WriteNdata(tail, 2, 0);
    engine.WriteNdata(large.data(), kLimit + 1, 0);
    ASSERT_EQ(port.writes.size(), 5u);
    EXPECT_EQ(port.writes[3].bytes.size(), 2u);
    EXPECT_EQ(port.writes[4].bytes.size(), static_cast<size_t>(kLimit + 1));
    engine.WriteNdata(tail, 1, 0);
    engine.WriteNdata(nullptr, 0, 1);
    EXPECT_EQ(port.writes.size(), 6u);
}

TEST_F(WriteNdata, RefusedOrMissingPortRaisesAndLogs) {
    RVLogCapture log;
    port.failFrom = 0;
    const auto data = bytes(kLimit + 1);
    engine.WriteNdata(data.data(), kLimit, 0);
    try {
        engine.WriteNdata(data.data(), 1, 0);   // flushes the full buffer first
        FAIL() << "a refused flush must raise";
    } catch (const DriverError& e) {
        EXPECT_EQ(e.code, 0);
    }
    const uint8_t five[5] = {};
    EXPECT_THROW(engine.WriteNdata(five, 5, 1), DriverError);
    EXPECT_TRUE(log.contains("ABaseRTL::WriteNdata num=5"));
    EXPECT_NE(log.lines().back().find("PrinterDriver\\Common\\Xsrc\\ABaseRTL"), std::string::npos);
    EXPECT_THROW(engine.WriteNdata(data.data(), kLimit + 1, 0), DriverError);
    RecordingEngine portless(&job, nullptr);
    EXPECT_THROW(portless.WriteNdata(five, 1, 1), DriverError);
}

TEST(ScaleLine, ReplicatesPixelsOfEveryDepth) {
    RecordingEngine engine;
    struct Case {
        int bits, bitCount, factor;
        std::vector<uint8_t> src, expected;
    };
    const Case cases[] = {
        {1, 3, 3, {0b10100000}, {0b11100011, 0b10000000}},   // padding bits replicated, not written past n*f
        {2, 8, 2, {0b11011000}, {0b11110101, 0b10100000}},
        {4, 8, 3, {0xA5}, {0xAA, 0xA5, 0x55}},
        {8, 16, 2, {0x12, 0x34}, {0x12, 0x12, 0x34, 0x34}},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> dst(c.expected.size() + 4, 0xFF);
        int bitPos = 0;
        ASSERT_EQ(engine.ScaleLine(c.bits, c.bitCount, c.src.data(), c.factor, &bitPos, dst.data()), 1);
        EXPECT_EQ(bitPos, c.bitCount * c.factor);
        const size_t cleared = static_cast<size_t>((c.bitCount * c.factor + 7) / 8);
        for (size_t i = 0; i < cleared; ++i) EXPECT_EQ(dst[i], c.expected[i]) << c.bits << "-bit byte " << i;
    }
    uint8_t src = 0xFF, dst[4] = {};   // depths it cannot pack, and no scaling at all
    int bitPos = 0;
    EXPECT_EQ(engine.ScaleLine(3, 3, &src, 2, &bitPos, dst), 0);
    EXPECT_EQ(engine.ScaleLine(1, 8, &src, 0, &bitPos, dst), 0);
    EXPECT_EQ(bitPos, 0);
}

TEST(BaseEngineRecords, PaperInfoJoinsItsTextsAndReserved25DropsTheFifthValue) {
    RecordingEngine engine;
    PaperInfo info{};
    EXPECT_EQ(engine.SetPaperInfo(&info, 36.0, 48.5, 3, "914", "1219"), 1);
    EXPECT_STREQ(info.text, "914x1219");
    engine.SetPaperInfo(&info, 1, 2, 0, "A0", nullptr);
    EXPECT_STREQ(info.text, "A0");
    EXPECT_EQ(engine.ForwardToReserved25(nullptr, nullptr, 1, 2, 3, 4, 5), 5);
    EXPECT_EQ(engine.forwarded, (std::vector<intptr_t>{1, 2, 4, 5}));
}

TEST(ScreeningTable, DefaultsWithoutAFile) {
    TempBaseFolder base;
    MessageBoxCapture boxes;
    RecordingEngine engine;
    auto table = std::make_unique<ScreenTable>();
    PrinterSetup named;   // a model and maker whose screening file does not exist
    std::strcpy(named.modelName, "KIP 7170");
    std::strcpy(named.manufacturerName, "KIP");
    std::memset(table.get(), 0x7F, sizeof *table);
    EXPECT_EQ(engine.GetScreeningTable(table.get(), &named), 1);
    ASSERT_EQ(table->count, 8);
    EXPECT_STREQ(table->entries[7].colorName, "Green");
    EXPECT_FLOAT_EQ(table->entries[7].frequency, 55.0f);
}

}  // namespace
