#include "DitherParams.h"
#include "HalftoneFixtures.h"
#include "HostRecords.h"
#include "PlatformMessageBox.h"
#include "TempBaseFolder.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::string weight(const std::string& ink, int step, const std::string& value) {
    return "<Weight ColorInk=\"" + ink + "\" Level=\"" + std::to_string(step) + "\" Value=\"" + value + "\"/>";
}

std::string dither(const std::string& id, const std::string& levelValue, const std::string& weights,
                   const std::string& tail = "<AntiClogLevel Value=\"3\"/><NoiseLevel Value=\"0.25\"/>") {
    return "<DitherParams ID=\"" + id + "\"><Level Value=\"" + levelValue + "\">" + weights + "</Level>" + tail +
           "</DitherParams>";
}

const std::string kDefaultSet = weight("Default", 0, "0.1") + weight("Default", 1, "0.2") + weight("Default", 2, "0.3");

// A table as the engine base fills it: N = 4, four inks, evenly spaced weights.
class DitherLoad : public ::testing::Test {
protected:
    DitherLoad() {
        table.levels = 4;
        table.inkCount = 4;
        for (int k = 0; k < 16; ++k)
            for (int s = 0; s < 64; ++s) table.weights[64 * k + s] = (s + 1) / 3.0f;
        table.antiClog = 0;
        table.noise = 1.0f;
        before = table;
    }
    int load(const std::string& colorModeBody) {
        const AString path = base.write("OutputDrivers/Dither.xml",
                                        paramsFile(defaultBranch("Default", colorModeBody))).string();
        const PrinterSetup setup = makeSetup("KIP 870 Color");
        return LoadDitherParams(path, &setup, &table);
    }
    float w(int ink, int step) const { return table.weights[64 * ink + step]; }
    bool unchanged() const { return std::memcmp(&table, &before, sizeof table) == 0; }

    TempBaseFolder base;
    MessageBoxCapture boxes;
    DitherTable table{};
    DitherTable before{};
};

TEST_F(DitherLoad, DefaultInkSpreadsToInksWithoutWeights) {
    const std::string ownInk2 = weight("2", 0, "0.7");
    ASSERT_EQ(1, load(dither("2,4", "4", kDefaultSet + ownInk2)));
    for (int k : {0, 1, 3}) {
        EXPECT_FLOAT_EQ(0.1f, w(k, 0));
        EXPECT_FLOAT_EQ(0.3f, w(k, 2));
    }
    EXPECT_FLOAT_EQ(0.7f, w(2, 0));
    EXPECT_FLOAT_EQ(2 / 3.0f, w(2, 1));    // a seen ink keeps defaults it was not given
    EXPECT_FLOAT_EQ(4 / 3.0f, w(4, 3));    // beyond the table's inks and steps nothing moves
    EXPECT_EQ(3, table.antiClog);
    EXPECT_FLOAT_EQ(0.25f, table.noise);
    EXPECT_TRUE(boxes.texts().empty());
}

TEST_F(DitherLoad, LowerCaseDefaultIsInkZero) {
    ASSERT_EQ(1, load(dither("4", "4", weight("default", 1, "0.9"))));
    EXPECT_FLOAT_EQ(0.9f, w(0, 1));
    EXPECT_FLOAT_EQ(0.9f, w(3, 1));
}

TEST_F(DitherLoad, NoCopyingWhenLevelHasEnoughChildren) {
    // Twelve children of "Level" for (4 - 1) x 4 weights, though only ink 0 has any.
    std::string children = kDefaultSet;
    for (int i = 0; i < 9; ++i) children += "<Note/>";
    ASSERT_EQ(1, load(dither("4", "4", children)));
    EXPECT_FLOAT_EQ(0.1f, w(0, 0));
    EXPECT_FLOAT_EQ(1 / 3.0f, w(1, 0));
}

TEST_F(DitherLoad, WeightsOutsideTableAreIgnored) {
    const std::string weights = weight("16", 0, "9") + weight("-1", 0, "9") + weight("1", 64, "9") +
                                weight("1", -1, "9") + weight("x", 0, "9") + weight("1", 0, "big") +
                                weight("3", 1, "0.5");
    ASSERT_EQ(1, load(dither("4", "4", weights)));
    EXPECT_FLOAT_EQ(0.5f, w(3, 1));
    EXPECT_FLOAT_EQ(0.5f, w(0, 1));   // ink 3 is the first valid one and spreads
    EXPECT_FLOAT_EQ(1 / 3.0f, w(1, 0));
    for (int k = 0; k < 16; ++k) EXPECT_NE(9.0f, w(k, 0));
}

TEST_F(DitherLoad, CopyingStaysInsideTableForOversizedCounts) {
    table.levels = 1000;
    table.inkCount = 40;
    ASSERT_EQ(1, load(dither("Default", "1000", weight("0", 63, "0.5"))));
    EXPECT_FLOAT_EQ(0.5f, w(15, 63));
    EXPECT_EQ(3, table.antiClog);
}

TEST_F(DitherLoad, LevelValueOtherThanNLeavesTableUntouched) {
    EXPECT_EQ(0, load(dither("Default", "2", kDefaultSet)));
    EXPECT_EQ(0, load(dither("Default", "two", kDefaultSet)));
    EXPECT_TRUE(unchanged());
    EXPECT_TRUE(boxes.texts().empty());
}

TEST_F(DitherLoad, MissingPartsShowTheirMessageOnce) {
    struct Case { std::string body; const char* message; };
    const Case cases[] = {
        {dither("2,8", "4", kDefaultSet), "Getting ditherparams node fails"},
        {"<DitherParams ID=\"4\"/>", "Getting ditherparams-level node fails"},
        {dither("4", "4", kDefaultSet, "<NoiseLevel Value=\"0.5\"/>"), "Getting ditherparams-anti clog level node fails"},
        {dither("4", "4", kDefaultSet, "<AntiClogLevel Value=\"5\"/>"), "Getting ditherparams-noise level node fails"},
    };
    for (const Case& c : cases) {
        MessageBoxCapture capture;
        EXPECT_EQ(0, load(c.body)) << c.message;
        EXPECT_EQ(std::vector<std::string>{c.message}, capture.texts());
    }
    // The last case wrote the weights and anti-clog level but kept the noise level.
    EXPECT_FLOAT_EQ(0.1f, w(2, 0));
    EXPECT_EQ(5, table.antiClog);
    EXPECT_FLOAT_EQ(1.0f, table.noise);
}

TEST_F(DitherLoad, ContinuousToneLevelsFailWithoutMessage) {
    table.levels = 256;
    EXPECT_EQ(0, load(dither("4", "4", kDefaultSet)));
    EXPECT_TRUE(boxes.texts().empty());
}

TEST_F(DitherLoad, BranchFailureShowsScreeningMessage) {
    const AString path = base.write("OutputDrivers/Dither.xml", paramsFile(defaultBranch("KIP 700m", ""))).string();
    const PrinterSetup setup = makeSetup("KIP 870 Color");
    EXPECT_EQ(0, LoadDitherParams(path, &setup, &table));
    EXPECT_EQ(std::vector<std::string>{"Getting media node fails"}, boxes.texts());
    EXPECT_TRUE(unchanged());
}

TEST_F(DitherLoad, SampleFilesServeKipModels) {
    base.copySamples();
    AString path;
    FindDitherParamsFile("KIP 870 Color", "KIP", path);
    const PrinterSetup setup = makeSetup("KIP 870 Color");
    ASSERT_EQ(1, LoadDitherParams(path, &setup, &table));
    EXPECT_FLOAT_EQ(0.25f, w(2, 0));
    EXPECT_FLOAT_EQ(0.33f, w(3, 0));
    table.levels = 2;
    FindDitherParamsFile("KIP 700m", "KIP", path);
    EXPECT_EQ(1, LoadDitherParams(path, &setup, &table));
    EXPECT_TRUE(boxes.texts().empty());
}

}  // namespace
