#include "HalftoneFixtures.h"
#include "HostRecords.h"
#include "PlatformMessageBox.h"
#include "ScreeningParams.h"
#include "TempBaseFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

std::string item(const std::string& color, const std::string& angle, const std::string& shape = "Round") {
    return "<Item ColorName=\"" + color + "\" Angle=\"" + angle + "\" Frequency=\"80.5\" ShapeName=\"" + shape + "\"/>";
}

class ScreeningLoad : public ::testing::Test {
protected:
    ScreeningLoad() {
        table.count = 2;
        for (ScreenEntry& e : table.entries) {
            ZuCopyField(e.shape, sizeof e.shape, "Diamond");
            ZuCopyField(e.colorName, sizeof e.colorName, "Old");
            e.angle = 11;
            e.frequency = 55;
        }
    }
    int load(const std::string& xml, const char* model = "KIP 870 Color") {
        const AString path = base.write("OutputDrivers/Screen.xml", xml).string();
        setup = makeSetup(model);
        return LoadScreeningParams(path, &setup, &table);
    }

    TempBaseFolder base;
    MessageBoxCapture boxes;
    PrinterSetup setup;
    ScreenTable table{};
};

TEST_F(ScreeningLoad, ModelIdIsCaseSensitiveSubstringAndDefaultIsLast) {
    const std::string models = defaultBranch("Default", item("A", "1")) +
                               defaultBranch("KIP 700m / KIP 870 Color", item("B", "2")) +
                               defaultBranch("Default", item("C", "3"));
    EXPECT_EQ(1, load(paramsFile(models), "KIP 700m"));
    EXPECT_STREQ("B", table.entries[0].colorName);
    EXPECT_EQ(1, load(paramsFile(models), "KIP 870 Color"));
    EXPECT_STREQ("B", table.entries[0].colorName);
    EXPECT_EQ(1, load(paramsFile(models), "kip 700m"));
    EXPECT_STREQ("C", table.entries[0].colorName);
    EXPECT_TRUE(boxes.texts().empty());
}

TEST_F(ScreeningLoad, ItemsFillEntriesInOrder) {
    const std::string longShape(200, 'S');
    const std::string body = item("Cyan", "15.5") + "<Other ColorName=\"X\" Angle=\"1\"/>" + item("", "3") +
                             "<Item Angle=\"4\"/>" + item("Magenta", "abc") + item("Yellow", "7deg", longShape);
    ASSERT_EQ(1, load(paramsFile(defaultBranch("Default", body))));
    EXPECT_EQ(3, table.count);
    EXPECT_STREQ("Cyan", table.entries[0].colorName);
    EXPECT_FLOAT_EQ(15.5f, table.entries[0].angle);
    EXPECT_FLOAT_EQ(80.5f, table.entries[0].frequency);
    EXPECT_STREQ("Round", table.entries[0].shape);
    EXPECT_STREQ("Magenta", table.entries[1].colorName);
    EXPECT_FLOAT_EQ(11.0f, table.entries[1].angle);   // not a number: earlier value stays
    EXPECT_FLOAT_EQ(7.0f, table.entries[2].angle);    // number prefix read
    EXPECT_EQ(std::string(127, 'S'), table.entries[2].shape);
    EXPECT_STREQ("Old", table.entries[3].colorName);
}

TEST_F(ScreeningLoad, ReadsAtMost256Items) {
    std::string body;
    for (int i = 0; i < 300; ++i) body += item("C" + std::to_string(i), std::to_string(i)) + item("", "0");
    ASSERT_EQ(1, load(paramsFile(defaultBranch("Default", body))));
    EXPECT_EQ(256, table.count);
    EXPECT_STREQ("C255", table.entries[255].colorName);
    EXPECT_FLOAT_EQ(255.0f, table.entries[255].angle);
}

TEST_F(ScreeningLoad, EmptyColorModeKeepsDefaults) {
    ASSERT_EQ(1, load(paramsFile(defaultBranch("Default", ""))));
    EXPECT_EQ(2, table.count);
    EXPECT_STREQ("Old", table.entries[0].colorName);
}

TEST_F(ScreeningLoad, EachMissingLevelShowsItsMessageOnce) {
    struct Case { std::string xml; const char* message; };
    const std::string m = "<Model ID=\"KIP 870 Color\">";
    const Case cases[] = {
        {paramsFile("<Model ID=\"KIP 700m\"><Media ID=\"Default\"/></Model>"), "Getting media node fails"},
        {paramsFile(m + "<Media ID=\"1\"/></Model>"), "Getting media node fails"},
        {paramsFile(m + "<Media ID=\"0\"><PrintMode ID=\"1\"/></Media></Model>"), "Getting printmode node fails"},
        {paramsFile(m + "<Media ID=\"0\"><PrintMode ID=\"0\"/></Media></Model>"), "Getting resolution node fails"},
        {paramsFile(m + "<Media ID=\"0\"><PrintMode ID=\"0\"><Resolution ID=\"0\"><ColorMode ID=\"5\"/>"
                        "</Resolution></PrintMode></Media></Model>"),
         "Getting colormode node fails"},
    };
    for (const Case& c : cases) {
        MessageBoxCapture capture;
        EXPECT_EQ(0, load(c.xml)) << c.message;
        EXPECT_EQ(std::vector<std::string>{c.message}, capture.texts());
        EXPECT_EQ(2, table.count);
    }
}

TEST_F(ScreeningLoad, MissingFileRootOrHardwareFailsSilently) {
    EXPECT_EQ(0, load("<Params><Hardware/></Params>"));
    EXPECT_EQ(0, load("<Params><PrinterHardware>"));
    const AString missing = (base.outputDrivers() / "None.xml").string();
    EXPECT_EQ(0, LoadScreeningParams(missing, &setup, &table));
    std::filesystem::create_directory(base.outputDrivers() / "Folder.xml");
    EXPECT_EQ(0, LoadScreeningParams((base.outputDrivers() / "Folder.xml").string(), &setup, &table));
    EXPECT_TRUE(boxes.texts().empty());
    EXPECT_EQ(2, table.count);
}

TEST_F(ScreeningLoad, SampleFilesServeKipModels) {
    base.copySamples();
    AString path;
    FindScreeningParamsFile("KIP 870 Color", "KIP", path);
    EXPECT_EQ((base.outputDrivers() / "KIPScreeningParams.xml").string(), path.str());
    setup = makeSetup("KIP 870 Color");
    setup.mediaId = 4;
    ASSERT_EQ(1, LoadScreeningParams(path, &setup, &table));
    EXPECT_EQ(4, table.count);
    EXPECT_FLOAT_EQ(100.0f, table.entries[0].frequency);

    FindScreeningParamsFile("Other", "Other", path);
    setup = makeSetup("Other", "Other");
    ASSERT_EQ(1, LoadScreeningParams(path, &setup, &table));
    EXPECT_STREQ("Black", table.entries[3].colorName);
    EXPECT_TRUE(boxes.texts().empty());
}

}  // namespace
