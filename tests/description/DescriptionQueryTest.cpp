// What a loaded description answers: media, modes, resolutions, colorants and their order.
#include "DescriptionTestFiles.h"
#include "ZuColorNames.h"

#include <string>
#include <utility>
#include <vector>

namespace {

class DescriptionQuery : public DescriptionTest {
protected:
    void SetUp() override {
        writeDescription(testDescription());
        ASSERT_EQ(model.loadDescription(kTestModel), 1);
    }
    CDynamic model;
};

std::vector<int> idsOf(const MediaList& list) {
    std::vector<int> ids;
    for (const MediaEntry& entry : list) ids.push_back(entry.id);
    return ids;
}

// The entries are packed, so their doubles are read by value, never bound by reference.
std::pair<double, double> valuesOf(const ResolutionEntry& entry) {
    const double x = entry.xResolution, y = entry.yResolution;
    return {x, y};
}

}  // namespace

TEST_F(DescriptionQuery, MediaModesAndResolutionsFollowTheControlTreeAndSkipUnknownIds) {
    MediaList media;
    int defaultMedia = -5;
    ASSERT_EQ(model.getMediaList(kTestModel, &media, &defaultMedia), 1);
    EXPECT_EQ(idsOf(media), (std::vector<int>{2, 0}));
    EXPECT_STREQ(media[1].displayName, "Plain Bond");
    EXPECT_STREQ(media[1].internalName, "Bond");
    EXPECT_EQ(defaultMedia, 1);

    MediaList modes;
    int defaultPosition = -5;
    ASSERT_EQ(model.getPrintModeList(kTestModel, &media[1], &modes, &defaultPosition), 1);
    EXPECT_EQ(idsOf(modes), (std::vector<int>{1, 2}));
    EXPECT_EQ(defaultPosition, 2);   // a child position: the skipped mode 7 still counts
    MediaEntry unknown{};
    unknown.id = 1;
    EXPECT_EQ(model.getPrintModeList(kTestModel, &unknown, &modes, &defaultPosition), 0);

    // Resolutions default to the first and read their values as scanf does.
    MediaEntry mode{};
    mode.id = 2;
    ResolutionList list;
    ASSERT_EQ(model.getResolutionList(kTestModel, &media[1], &mode, &list, &defaultPosition), 1);
    ASSERT_EQ(list.size(), 2u);   // resolution 5 is not in the list
    EXPECT_EQ(defaultPosition, 0);
    EXPECT_EQ(valuesOf(list[0]), std::make_pair(600.0, 1200.0));
    EXPECT_STREQ(list[0].displayName, "High");
    EXPECT_EQ(valuesOf(list[1]), std::make_pair(300.0, 300.0));
    mode.id = 0;
    EXPECT_EQ(model.getResolutionList(kTestModel, &media[1], &mode, &list, &defaultPosition), 0);
}

TEST_F(DescriptionQuery, ColourModeNamesAndDefaultsUseTheListedFlagAndTheLimitRule) {
    int listed = -1;
    char name[CDynamic::kNameSize] = "untouched";
    const PrinterSetup atHigh = testSetup(0, 2, 1), atLow = testSetup(0, 2, 0), nowhere = testSetup(1, 2, 1);
    EXPECT_EQ(model.getColorModeName(1, &listed, name, &atHigh), 1);
    EXPECT_EQ(listed, 1);
    EXPECT_STREQ(name, "Spots");
    std::strcpy(name, "untouched");
    EXPECT_EQ(model.getColorModeName(100, &listed, name, &atHigh), 1);   // not listed, within 100 and 150
    EXPECT_EQ(listed, 0);
    EXPECT_STREQ(name, "untouched");
    EXPECT_EQ(model.getColorModeName(101, &listed, name, &atHigh), 0);
    EXPECT_EQ(model.getColorModeName(0, &listed, name, &nowhere), 0);

    writeDescription(replaced(testDescription(), "<ID>150</ID>", "<ID>3</ID>"));
    CDynamic small;
    ASSERT_EQ(small.loadDescription(kTestModel), 1);
    EXPECT_EQ(small.getColorModeName(3, &listed, name, &atHigh), 1);
    EXPECT_EQ(small.getColorModeName(4, &listed, name, &atHigh), 0);

    // The default colour mode comes from the resolution.
    std::strcpy(name, "untouched");
    EXPECT_EQ(model.getDefaultColorMode(name, &nowhere), 1);
    EXPECT_STREQ(name, "untouched");
    EXPECT_EQ(model.getDefaultColorMode(name, &atHigh), 1);
    EXPECT_STREQ(name, "Spots");
    EXPECT_EQ(model.getDefaultColorMode(name, &atLow), 0);   // no "DefaultColorMode"
    EXPECT_EQ(model.findColorMode("cmyk"), 0);
    EXPECT_EQ(model.findColorMode("CMY"), -1);
}

TEST_F(DescriptionQuery, ColorantsCarryDepthsSpotFlagsAndDisplayColours) {
    ColorantEntry entries[4] = {};
    ColorantList list{0, entries, 4};
    ASSERT_EQ(model.getColorantList(0, &list), 1);
    ASSERT_EQ(list.count, 4);
    EXPECT_EQ(entries[0].color, GetZuColorValue("Cyan"));
    EXPECT_EQ(entries[1].color, 1971210u);    // #10,20,30
    EXPECT_EQ(entries[2].color, 16776970u);   // #10: green and blue stay 255
    EXPECT_STREQ(entries[1].displayName, "Rgb");
    EXPECT_EQ(entries[3].bitsPerPixel, 1u);

    ASSERT_EQ(model.getColorantList(1, &list), 1);
    ASSERT_EQ(list.count, 2);
    EXPECT_EQ(entries[0].spot, 1u);
    EXPECT_EQ(entries[1].spot, 0u);   // IsSpotColor 2 is a process colour
    EXPECT_EQ(entries[1].bitsPerPixel, 8u);
    EXPECT_EQ(model.getColorantList(150, &list), 1);
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(model.getColorantList(2, &list), 0);

    ColorantList small{0, entries, 3};
    ASSERT_EQ(model.getColorantList(0, &small), 1);
    EXPECT_EQ(small.count, 3);   // never more than the caller's room
}

TEST_F(DescriptionTest, ColorantOrderReadsCommaListsStrictly) {
    const std::vector<std::pair<std::string, std::vector<uint8_t>>> cases = {
        {"0,1,2,3", {0, 1, 2, 3}}, {"3,2,1,0,", {3, 2, 1, 0}}, {" 7 , 300", {7, 44}},
        {"0,,1", {}},              {"0,1,x", {}},              {"", {}},
    };
    for (const auto& [value, bytes] : cases) {
        SCOPED_TRACE(value);
        writeDescription(replaced(testDescription(), "0,1,2,3", value));
        CDynamic model;
        AByteArray order;
        ASSERT_EQ(model.loadDescription(kTestModel), 1);
        EXPECT_EQ(model.getColorantOrder(0, &order), static_cast<int>(bytes.size()));
        EXPECT_EQ(std::vector<uint8_t>(order.begin(), order.end()), bytes);
        EXPECT_EQ(model.getColorantOrder(1, &order), 0);   // no "Order"
        EXPECT_EQ(model.getColorantOrder(9, &order), 0);
    }
}

