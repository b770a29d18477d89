// Loading a printer description: the faults that fail a load and the parts it can do without.
#include "DescriptionTestFiles.h"
#include "FindDescriptionFile.h"

#include <string>
#include <vector>

// The first entry whose non-empty name begins the model name wins.
TEST_F(DescriptionTest, IndexFindsTheFirstEntryWhoseNameIsAPrefixOfTheModel) {
    char file[256] = "untouched";
    base.write("OutputDrivers/ZuKIPDes.xml", R"(<I><E Name="" XMLFile="blank.xml"/><E Name="KIP 870 Color+" XMLFile="longer.xml"/>
        <E Name="KIP 8" XMLFile="short.xml"/><E Name="KIP 870" XMLFile="long.xml"/></I>)");
    EXPECT_EQ(FindDescriptionFile("KIP", file), 0);
    EXPECT_STREQ(file, "untouched");
    EXPECT_EQ(FindDescriptionFile("KIP 870 Color", file), 1);
    EXPECT_STREQ(file, "short.xml");
}

// One model sees every fault in turn, as a host retrying a failed load would.
TEST_F(DescriptionTest, EachFaultFailsTheLoadWithItsMessageUntilAGoodLoadFixesTheModel) {
    const std::string good = testDescription();
    struct Fault { std::string text, message; };
    auto edit = [&good](const std::string& from, const std::string& to) { return replaced(good, from, to); };
    const std::vector<Fault> faults = {
        {renamed(good, "Definition", "Other"), "Getting DEFINITIONNODE node fails"},
        {edit("<ID>2</ID><InternalName>Vellum", "<ID>10001</ID><InternalName>Vellum"), "Wrong media index."},
        {edit("<ID>1</ID><InternalName>Fast", "<ID>x</ID><InternalName>Fast"), "Wrong PrintMode index."},
        {renamed(good, "ResolutionList", "ResList"), "Loading RESOLUTONLISTNODE fails."},
        {edit("<ID>0</ID><XResValue>", "<ID>10001</ID><XResValue>"), "Wrong Resolution index."},
        {edit("<XResValue>300<", "<XResValue>10000.5<"), "Wrong xResolution."},
        {edit("<XResValue>300<", "<XResValue>nan<"), "Wrong xResolution."},
        {edit("<YResValue>300<", "<YResValue>-0.5<"), "Wrong yResolution."},
        {renamed(good, "ColorList", "Colours"), "Loading COLORLISTNODE fails."},
        {edit("<ID>3</ID><InternalName>Black", "<ID>99999</ID><InternalName>Black"), "Wrong Color index."},
        {edit("<ID>150</ID>", "<ID>10001</ID>"), "Wrong color mode index."},
        {edit(R"(<K ID="3")", R"(<K ID="4")"), "Wrong color ID."},   // ID equal to the number of colours
        {edit("<ColorDepth>8</ColorDepth>", "<ColorDepth>10001</ColorDepth>"), "Wrong color depth."},
        {edit(R"(IsSpotColor="2")", R"(IsSpotColor="-2")"), "Wrong color spot."},
    };
    CDynamic model;
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.message);
        writeDescription(fault.text);
        MessageBoxCapture shown;
        EXPECT_EQ(model.loadDescription(kTestModel), 0);
        EXPECT_EQ(model.isLoaded(), 0);
        EXPECT_EQ(shown.texts(), std::vector<std::string>{fault.message});
    }
    // The limits themselves are allowed. The good load starts from empty: its first
    // colour mode orders "3,2", not the failed loads' "0,1,2,3".
    writeDescription(replaced(edit("<XResValue>300<", "<XResValue>10000<"), "0,1,2,3", "3,2"));
    EXPECT_EQ(model.loadDescription(kTestModel), 1);
    AByteArray order;
    EXPECT_EQ(model.getColorantOrder(0, &order), 2);
    EXPECT_EQ(model.loadDescription("Other model"), 1);   // the first success fixes the model
}

TEST_F(DescriptionTest, FileFaultsBeforeParsingHaveTheirOwnMessages) {
    CDynamic model;
    EXPECT_EQ(model.loadDescription("Other model"), 0);
    EXPECT_EQ(model.loadDescription(kTestModel), 0);   // index names a missing file
    writeDescription("<Root><Definition></Root>");
    EXPECT_EQ(model.loadDescription(kTestModel), 0);
    writeDescription(replaced(renamed(testDescription(), "ColorList", "Old"), "<Old>", "<ColorList/><Old>"));
    EXPECT_EQ(model.loadDescription(kTestModel), 0);
    writeDescription(renamed(testDescription(), "ColorModeList", "Modes"));
    EXPECT_EQ(model.loadDescription(kTestModel), 0);   // no message for a missing colour-mode list
    EXPECT_EQ(boxes.texts(), (std::vector<std::string>{"Cannot get XML ", "Loading description file fails",
                                                        "Loading description file fails", "Wrong nClrDefCount"}));
    EXPECT_EQ(model.loadDescription(nullptr), 0);
}

TEST_F(DescriptionTest, MissingOptionalListsAndBasesStillLoad) {
    std::string text = renamed(renamed(testDescription(), "MediaList", "NoMediaList"), "PrintModeList", "Modes");
    text = replaced(text, "<BaseColor>-1</BaseColor>", "");
    writeDescription(text);
    CDynamic model;
    ASSERT_EQ(model.loadDescription(kTestModel), 1);
    EXPECT_EQ(model.getPrintModeCount(), 0);
    EXPECT_EQ(model.getBaseResourceNumber("BaseResolution"), -1);   // empty text, no message
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"Getting szNode node fails"});

    writeDescription(renamed(testDescription(), "BaseResourceNumber", "Bases"));
    CDynamic noBases;
    ASSERT_EQ(noBases.loadDescription(kTestModel), 1);
    EXPECT_EQ(boxes.count("Getting BASERESOURCENODE node fails"), 5);   // once per list
}

TEST_F(DescriptionTest, DisplayNamesComeFromTheStringTableWhenItHasThem) {
    std::string text = replaced(testDescription(), "<BaseColor>-1<", "<BaseColor>8000<");
    text = replaced(text, "<ID>2</ID><InternalName>#10", "<ID>5</ID><InternalName>#10");
    text = replaced(text, "<BaseMedia>-1<", "<BaseMedia> 1<");
    writeDescription(text);
    CDynamic model;
    ASSERT_EQ(model.loadDescription(kTestModel), 1);
    EXPECT_EQ(model.getBaseResourceNumber("BaseColor"), 8000);
    ColorantEntry entries[4] = {};
    ColorantList list{0, entries, 4};
    ASSERT_EQ(model.getColorantList(0, &list), 1);
    EXPECT_STREQ(entries[0].displayName, "Cyan,Magenta,Yellow,Black,");   // string 8001
    EXPECT_STREQ(entries[0].name, "Cyan");
    EXPECT_STREQ(entries[2].displayName, "Red");   // string 8006 does not exist
    MediaList media;
    ASSERT_EQ(model.getMediaList(kTestModel, &media, nullptr), 1);
    EXPECT_STREQ(media.back().displayName, "Media table from printer read successfully.");   // string 2
}
