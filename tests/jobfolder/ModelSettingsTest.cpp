// Reading a model's settings file: flags, lists, colour ids and the failures of each.
#include "KIPModelSettings.h"
#include "PlatformMessageBox.h"
#include "PrinterSetup.h"
#include "TempBaseFolder.h"
#include "ZuDrvUtl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {
// A base folder whose index maps every "KIP" model to KIPTest.xml.
struct ModelFixture {
    TempBaseFolder base;
    PrinterSetup setup;
    KIPModelSettings settings;

    ModelFixture() {
        base.write("OutputDrivers/ZuKIPDes.xml",
                   R"(<RootElement><Printer Name="KIP" XMLFile="KIPTest.xml"/></RootElement>)");
        std::strncpy(setup.modelName, "KIP 700m", sizeof setup.modelName);
    }
    void description(const std::string& modelElements) {
        base.write("OutputDrivers/KIPTest.xml", "<Root>" + modelElements + "</Root>");
    }
    // Loads with a description holding one Model element with these attributes.
    int load(const std::string& attributes, const std::string& children = "") {
        description(R"(<Model Name="KIP 700m" )" + attributes + ">" + children + "</Model>");
        return settings.LoadModelSettings(&setup);
    }
};

std::vector<std::string> items(const AStringArray& a) {
    std::vector<std::string> v;
    for (const AString& s : a) v.push_back(s.str());
    return v;
}
}  // namespace

// The texts are read by their names through the module (KipJobFolderTest, KipTileTest).
TEST(ModelSettings, FlagsListsAndColourIdsFollowTheirRulesAndReloadReplacesThem) {
    ModelFixture f;
    ASSERT_EQ(f.load(R"(ImageEnhancemen="yes" KAWPDFT="true" TileSeparate="no" JobTicketForTile="false" )"
                     R"(tileID="A,,B," stripID=" x , y")"), 1);
    ASSERT_EQ(f.settings.LoadModelSettings(&f.setup), 1);   // a reload does not duplicate list items
    EXPECT_EQ(f.settings.ImageEnhancemen, 1);   // "yes" flags need yes, "no" flags need no
    EXPECT_EQ(f.settings.KAWPDFT, 0);
    EXPECT_EQ(f.settings.TileSeparate, 0);
    EXPECT_EQ(f.settings.JobTicketForTile, 1);
    EXPECT_EQ(f.settings.CreateFolder, 1);   // missing
    EXPECT_EQ(items(f.settings.tileNames), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(items(f.settings.stripNames), (std::vector<std::string>{" x ", " y"}));

    // Colour ids: incomplete children are skipped, a later one for the same name wins.
    ASSERT_EQ(f.load(R"(FolderName="f")", R"(<colorID><a colorName="Cyan" colorID="C"/><b colorName="" colorID="X"/>)"
                         R"(<c colorName="Black" colorID=""/><d colorName="Cyan" colorID="CC"/></colorID>)"),
              1);
    ASSERT_EQ(f.settings.colorNames.size(), 1u);
    EXPECT_EQ(f.settings.colorNames.at("Cyan"), "CC");
    // A mapping or a text dropped from the file is gone after the reload.
    ASSERT_EQ(f.load(""), 1);
    EXPECT_TRUE(f.settings.colorNames.empty());
    EXPECT_TRUE(f.settings.FolderName.IsEmpty());
}

TEST(ModelSettings, EachFailureShowsItsOwnMessageAndKeepsValues) {
    ModelFixture f;
    ASSERT_EQ(f.load(R"(FolderName="kept" tileID="T")"), 1);
    struct Case { std::string description; std::string model; std::vector<std::string> messages; };
    const Case cases[] = {
        {"", "Other 1", {"Cannot get XML "}},
        // A name field without its terminating zero is read within its size.
        {R"(<Root><Model Name="KIP"/></Root>)", std::string(sizeof f.setup.modelName, 'K'), {"Cannot get XML "}},
        {"<Root><Model Name=", "KIP 700m", {"Loading description file fails", "Getting root node fails"}},
        {R"(<Root><Printer/></Root>)", "KIP 700m", {"Getting Model node fails"}},
        // Only the first Model counts, even when the second would match.
        {R"(<Root><Model Name="KIP 870"/><Model Name="KIP 700m" FolderName="x"/></Root>)", "KIP 700m",
         {"Getting Model name fails"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        f.base.write("OutputDrivers/KIPTest.xml", c.description);
        std::memset(f.setup.modelName, 0, sizeof f.setup.modelName);
        std::memcpy(f.setup.modelName, c.model.data(), std::min(c.model.size(), sizeof f.setup.modelName));
        MessageBoxCapture boxes;
        EXPECT_EQ(f.settings.LoadModelSettings(&f.setup), 0);
        EXPECT_EQ(boxes.texts(), c.messages);
        EXPECT_EQ(f.settings.FolderName, "kept");
        EXPECT_EQ(items(f.settings.tileNames), std::vector<std::string>{"T"});
    }
}
