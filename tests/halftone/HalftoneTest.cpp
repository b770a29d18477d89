// Halftone parameter files: which file serves a model, which branch of it
// serves a setup, and what screening and dither tables read from it, with
// the messages a broken file shows.
#include "DitherParams.h"
#include "HostRecords.h"
#include "PlatformMessageBox.h"
#include "PrinterSetup.h"
#include "ScreeningParams.h"
#include "TempBaseFolder.h"
#include "ZuDrvUtl.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace {

std::string paramsFile(const std::string& models) {
    return "<Params><PrinterHardware>" + models + "</PrinterHardware></Params>";
}

// One model with a single branch of "Default" levels around `colorModeBody`.
std::string defaultBranch(const std::string& modelId, const std::string& colorModeBody) {
    return "<Model ID=\"" + modelId + "\"><Media ID=\"Default\"><PrintMode ID=\"Default\"><Resolution ID=\"Default\">"
           "<ColorMode ID=\"Default\">" + colorModeBody + "</ColorMode></Resolution></PrintMode></Media></Model>";
}

std::string item(const std::string& color, const std::string& angle, const std::string& shape = "Round") {
    return "<Item ColorName=\"" + color + "\" Angle=\"" + angle + "\" Frequency=\"80.5\" ShapeName=\"" + shape + "\"/>";
}

std::string weight(const std::string& ink, int step, const std::string& value) {
    return "<Weight ColorInk=\"" + ink + "\" Level=\"" + std::to_string(step) + "\" Value=\"" + value + "\"/>";
}

std::string dither(const std::string& id, const std::string& levelValue, const std::string& weights,
                   const std::string& tail = "<AntiClogLevel Value=\"3\"/><NoiseLevel Value=\"0.25\"/>") {
    return "<DitherParams ID=\"" + id + "\"><Level Value=\"" + levelValue + "\">" + weights + "</Level>" + tail +
           "</DitherParams>";
}

const std::string kDefaultSet = weight("Default", 0, "0.1") + weight("Default", 1, "0.2") + weight("Default", 2, "0.3");

// A base folder, captured message boxes, a screening table of two entries at
// 11 degrees and a dither table as the engine base fills it (4 levels, 4 inks,
// weight (step + 1) / 3).
class Halftone : public ::testing::Test {
protected:
    Halftone() {
        ZuCopyField(setup.modelName, sizeof setup.modelName, "KIP 870 Color");
        screen.count = 2;
        for (ScreenEntry& e : screen.entries) e.angle = 11;
        dith.levels = 4;
        dith.inkCount = 4;
        for (int k = 0; k < 16; ++k)
            for (int s = 0; s < 64; ++s) dith.weights[64 * k + s] = (s + 1) / 3.0f;
        dith.noise = 1.0f;
        original = dith;
    }
    int loadScreen(const std::string& xml, const char* model = "KIP 870 Color") {
        ZuCopyField(setup.modelName, sizeof setup.modelName, model);
        return LoadScreeningParams(base.write("OutputDrivers/Screen.xml", xml).string(), &setup, &screen);
    }
    int loadDither(const std::string& colorModeBody) {
        const auto path = base.write("OutputDrivers/Dither.xml", paramsFile(defaultBranch("Default", colorModeBody)));
        return LoadDitherParams(path.string(), &setup, &dith);
    }
    std::string find(const char* model = "KIP 870 Color", const char* manufacturer = "KIP") {
        AString path;
        EXPECT_EQ(1, FindScreeningParamsFile(model, manufacturer, path));
        return std::filesystem::path(path.str()).filename().string();
    }
    float w(int ink, int step) const { return dith.weights[64 * ink + step]; }

    TempBaseFolder base;
    MessageBoxCapture boxes;
    PrinterSetup setup;
    ScreenTable screen{};
    DitherTable dith{};
    DitherTable original{};
};

TEST_F(Halftone, ManufacturerListPicksTheFileOrFallsBackToTheDefault) {
    EXPECT_EQ("ScreeningParams.xml", find());   // no list
    AString path;
    FindDitherParamsFile("KIP 870 Color", "KIP", path);
    EXPECT_EQ((base.outputDrivers() / "Ditherparams.xml").string(), path.str());

    // The samples map KIP models (the manufacturer's name ignores case) to their own file; a model
    // the map does not list, or another manufacturer, gets the default.
    base.copySamples();
    EXPECT_EQ("KIPScreeningParams.xml", find("KIP 870 Color", "kip"));
    EXPECT_EQ("ScreeningParams.xml", find("KIP 9000"));
    EXPECT_EQ("ScreeningParams.xml", find("KIP 870 Color", "HP"));
    // A map that is a parameter file too serves the models it does not list.
    base.write("OutputDrivers/KIPScreeningMap.xml", "<Map><PrinterHardware/></Map>");
    EXPECT_EQ("KIPScreeningMap.xml", find("KIP 9000"));

    // The manufacturer's own file beats its map, unless it is unusable (no "PrinterHardware").
    const auto list = [&](const std::string& entry) {
        base.write("OutputDrivers/ScreeningParams.xml", "<Root><ManufacturerList>" + entry + "</ManufacturerList></Root>");
    };
    list("<M Name=\"KIP\" ManufactureXML=\"Own.xml\" ManufactureMAPXML=\"KIPScreeningMap.xml\"/>");
    base.write("OutputDrivers/Own.xml", paramsFile(""));
    EXPECT_EQ("Own.xml", find());
    base.write("OutputDrivers/Own.xml", "<Params><Hardware/></Params>");
    EXPECT_EQ("ScreeningParams.xml", find());
    list("<M Name=\"KIP\"/>");   // naming neither file counts as no entry
    EXPECT_EQ("ScreeningParams.xml", find());
}

TEST(SelectChildById, IdListsMatchByValueWithinTheirLimits) {
    std::string longList = "9,";
    for (int i = 100; i < 200; ++i) longList += std::to_string(i) + ",";   // 402 characters, cut at 255
    const std::string zeros(70, '0');   // 000...07 is 7 by value, but too long an item
    const std::string defaults = "<Media ID=\"Default\" Mark=\"d1\"/><Media ID=\"1,2\" Mark=\"a\"/>"
                                 "<Media ID=\"2\" Mark=\"b\"/><Media ID=\"Default\" Mark=\"d2\"/>";
    struct Case { std::string children; int id; const char* mark; };
    const Case cases[] = {
        {"<Media ID=\"x, 7\" Mark=\"a\"/>", 7, "a"},       {"<Media ID=\"3,,7\" Mark=\"a\"/>", 7, "none"},
        {defaults, 2, "a"}, {defaults, 9, "d2"},           {"<PrintMode ID=\"7\" Mark=\"a\"/>", 7, "none"},
        {"<Media ID=\"default\" Mark=\"a\"/>", 9, "none"}, {"<Media ID=\"" + zeros + "7\" Mark=\"a\"/>", 7, "none"},
        {"<Media ID=\"" + longList + "\" Mark=\"a\"/>", 162, "a"},
        {"<Media ID=\"" + longList + "\" Mark=\"a\"/>", 163, "none"},   // "16" of the cut item is not read
    };
    for (const Case& c : cases) {
        AXMLTree tree("RootElement");
        ASSERT_TRUE(tree.loadXML(("<Model>" + c.children + "</Model>").c_str()));
        AXMLTreeNode root, child;
        tree.getRootNode(root);
        const bool found = SelectChildById(tree, root, "Media", c.id, child);
        EXPECT_EQ(c.mark, found ? tree.getAttribute(child, "Mark").str() : "none") << c.children << " " << c.id;
    }
}

TEST_F(Halftone, ScreeningPicksTheModelByCaseSensitiveIdAndFillsEntriesInOrderUpTo256) {
    const std::string models = paramsFile(defaultBranch("Default", item("A", "1")) +
                                          defaultBranch("KIP 700m / KIP 870 Color", item("B", "2")) +
                                          defaultBranch("Default", item("C", "3")));
    for (auto [model, color] : {std::pair{"KIP 700m", "B"}, {"KIP 870 Color", "B"}, {"kip 700m", "C"}}) {
        EXPECT_EQ(1, loadScreen(models, model));
        EXPECT_STREQ(color, screen.entries[0].colorName) << model;
    }

    // Items fill the entries in order, up to 256.
    const std::string body = item("Cyan", "15.5") + "<Other ColorName=\"X\" Angle=\"1\"/>" + item("", "3") +
                             "<Item Angle=\"4\"/>" + item("Magenta", "abc") + item("Yellow", "7deg", std::string(200, 'S'));
    ASSERT_EQ(1, loadScreen(paramsFile(defaultBranch("Default", body))));
    EXPECT_EQ(3, screen.count);
    EXPECT_STREQ("Cyan", screen.entries[0].colorName);
    EXPECT_FLOAT_EQ(15.5f, screen.entries[0].angle);
    EXPECT_FLOAT_EQ(80.5f, screen.entries[0].frequency);
    EXPECT_FLOAT_EQ(11.0f, screen.entries[1].angle);   // not a number: earlier value stays
    EXPECT_FLOAT_EQ(7.0f, screen.entries[2].angle);    // number prefix read
    EXPECT_EQ(std::string(127, 'S'), screen.entries[2].shape);

    std::string many;
    for (int i = 0; i < 300; ++i) many += item("C" + std::to_string(i), std::to_string(i)) + item("", "0");
    ASSERT_EQ(1, loadScreen(paramsFile(defaultBranch("Default", many))));
    EXPECT_EQ(256, screen.count);
    EXPECT_STREQ("C255", screen.entries[255].colorName);
    EXPECT_TRUE(boxes.texts().empty());
}

TEST_F(Halftone, DitherWeightsSpreadFromTheFirstInkGivenAndStayInsideTheTable) {
    ASSERT_EQ(1, loadDither(dither("2,4", "4", kDefaultSet + weight("2", 0, "0.7"))));
    for (int k : {0, 1, 3}) EXPECT_FLOAT_EQ(0.3f, w(k, 2));
    EXPECT_FLOAT_EQ(0.7f, w(2, 0));
    EXPECT_FLOAT_EQ(2 / 3.0f, w(2, 1));   // a seen ink keeps defaults it was not given
    EXPECT_FLOAT_EQ(4 / 3.0f, w(4, 3));   // beyond the table's inks and steps nothing moves
    EXPECT_EQ(3, dith.antiClog);
    EXPECT_FLOAT_EQ(0.25f, dith.noise);

    dith = original;   // weights outside the table or not numbers are ignored
    ASSERT_EQ(1, loadDither(dither("4", "4", weight("16", 0, "9") + weight("1", 64, "9") + weight("x", 0, "9") +
                                                 weight("1", 0, "big") + weight("3", 1, "0.5"))));
    EXPECT_FLOAT_EQ(0.5f, w(0, 1));   // ink 3 is the first valid one and spreads
    EXPECT_FLOAT_EQ(1 / 3.0f, w(1, 0));
    for (int k = 0; k < 16; ++k) EXPECT_NE(9.0f, w(k, 0));

    dith.levels = 1000;   // oversized counts copy inside the table only
    dith.inkCount = 40;
    ASSERT_EQ(1, loadDither(dither("Default", "1000", weight("0", 63, "0.5"))));
    EXPECT_FLOAT_EQ(0.5f, w(15, 63));
    EXPECT_TRUE(boxes.texts().empty());
}

// A branch that cannot be loaded names the missing level, once; a broken file, another level count or
// continuous tone (no parameters) loads nothing silently. Either way the tables stay as they were.
TEST_F(Halftone, FailuresNameTheMissingLevelOrStaySilentAndKeepTheTables) {
    const std::string m = "<Model ID=\"KIP 870 Color\">";
    struct Case { std::string xml; const char* message; bool dither = false; int levels = 4; };
    const Case cases[] = {
        {paramsFile("<Model ID=\"KIP 700m\"><Media ID=\"Default\"/></Model>"), "Getting media node fails"},
        {paramsFile(m + "<Media ID=\"0\"><PrintMode ID=\"1\"/></Media></Model>"), "Getting printmode node fails"},
        {paramsFile(m + "<Media ID=\"0\"><PrintMode ID=\"0\"/></Media></Model>"), "Getting resolution node fails"},
        {paramsFile(m + "<Media ID=\"0\"><PrintMode ID=\"0\"><Resolution ID=\"0\"><ColorMode ID=\"5\"/>"
                        "</Resolution></PrintMode></Media></Model>"),
         "Getting colormode node fails"},
        {"<Params><PrinterHardware>", nullptr},
        {dither("Default", "2", kDefaultSet), nullptr, true},
        {dither("4", "4", kDefaultSet), nullptr, true, 256},
        {dither("2,8", "4", kDefaultSet), "Getting ditherparams node fails", true},
        {"<DitherParams ID=\"4\"/>", "Getting ditherparams-level node fails", true},
    };
    for (const Case& c : cases) {
        MessageBoxCapture capture;
        dith.levels = c.levels;
        EXPECT_EQ(0, c.dither ? loadDither(c.xml) : loadScreen(c.xml)) << c.xml;
        EXPECT_EQ(c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{}, capture.texts());
        dith.levels = 4;
        EXPECT_EQ(2, screen.count);
        EXPECT_EQ(0, std::memcmp(&dith, &original, sizeof dith)) << c.xml;
    }
    std::filesystem::create_directory(base.outputDrivers() / "Folder.xml");
    EXPECT_EQ(0, LoadScreeningParams((base.outputDrivers() / "Folder.xml").string(), &setup, &screen));
    // A missing anti-clog or noise level is found after the weights are written.
    EXPECT_EQ(0, loadDither(dither("4", "4", kDefaultSet, "<NoiseLevel Value=\"0.5\"/>")));
    EXPECT_EQ(0, loadDither(dither("4", "4", kDefaultSet, "<AntiClogLevel Value=\"5\"/>")));
    EXPECT_EQ(boxes.texts(), (std::vector<std::string>{"Getting ditherparams-anti clog level node fails",
                                                        "Getting ditherparams-noise level node fails"}));
    EXPECT_FLOAT_EQ(0.1f, w(2, 0));
    EXPECT_EQ(5, dith.antiClog);
    EXPECT_FLOAT_EQ(1.0f, dith.noise);
}

}  // namespace
