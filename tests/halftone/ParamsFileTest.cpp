#include "DitherParams.h"
#include "HalftoneFixtures.h"
#include "ScreeningParams.h"
#include "TempBaseFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

const std::string kValidParams = paramsFile(defaultBranch("Default", ""));

std::string manufacturerList(const std::string& entries) {
    return "<Root><ManufacturerList>" + entries + "</ManufacturerList></Root>";
}

class ParamsFileFind : public ::testing::Test {
protected:
    std::string find(const char* model = "KIP 870 Color", const char* manufacturer = "KIP") {
        AString path;
        EXPECT_EQ(1, FindScreeningParamsFile(model, manufacturer, path));
        return path.str();
    }
    std::string inBase(const std::string& name) const { return (base.outputDrivers() / name).string(); }

    TempBaseFolder base;
};

TEST_F(ParamsFileFind, DefaultFileWhetherOrNotItExists) {
    EXPECT_EQ(inBase("ScreeningParams.xml"), find());
    base.write("OutputDrivers/ScreeningParams.xml", "<broken");
    EXPECT_EQ(inBase("ScreeningParams.xml"), find());
    AString path;
    EXPECT_EQ(1, FindDitherParamsFile("KIP 870 Color", "KIP", path));
    EXPECT_EQ(inBase("Ditherparams.xml"), path.str());
}

TEST_F(ParamsFileFind, ManufactureXmlBeatsMapAndNameIgnoresCase) {
    base.write("OutputDrivers/ScreeningParams.xml",
               manufacturerList("<Other Name=\"HP\" ManufactureXML=\"HP.xml\"/>"
                                "<M Name=\"kip\" ManufactureXML=\"Own.xml\" ManufactureMAPXML=\"Map.xml\"/>"));
    base.write("OutputDrivers/Own.xml", kValidParams);
    base.write("OutputDrivers/Map.xml", "<Map><P Name=\"KIP 870 Color\" XMLFile=\"Mapped.xml\"/></Map>");
    base.write("OutputDrivers/Mapped.xml", kValidParams);
    EXPECT_EQ(inBase("Own.xml"), find("KIP 870 Color", "Kip"));
}

TEST_F(ParamsFileFind, MapGivesModelFileElseMapItselfElseDefault) {
    base.write("OutputDrivers/ScreeningParams.xml",
               manufacturerList("<M Name=\"KIP\" ManufactureXML=\"\" ManufactureMAPXML=\"Map.xml\"/>"));
    base.write("OutputDrivers/Map.xml", "<Map><P Name=\"kip 870 color\" XMLFile=\"Mapped.xml\"/></Map>");
    base.write("OutputDrivers/Mapped.xml", kValidParams);
    EXPECT_EQ(inBase("Mapped.xml"), find());
    EXPECT_EQ(inBase("ScreeningParams.xml"), find("KIP 700m"));   // not in the map

    // A map that is a parameter file itself serves the models it does not list.
    base.write("OutputDrivers/Map.xml", "<Map><P Name=\"KIP 870 Color\" XMLFile=\"Mapped.xml\"/>"
                                        "<PrinterHardware/></Map>");
    EXPECT_EQ(inBase("Map.xml"), find("KIP 700m"));
}

TEST_F(ParamsFileFind, UnusableManufacturerFilesFallBackToDefault) {
    base.write("OutputDrivers/ScreeningParams.xml",
               manufacturerList("<M Name=\"KIP\" ManufactureXML=\"Own.xml\"/>"));
    base.write("OutputDrivers/Own.xml", "<Params><Hardware/></Params>");   // no "PrinterHardware"
    EXPECT_EQ(inBase("ScreeningParams.xml"), find());

    std::filesystem::remove(base.outputDrivers() / "Own.xml");
    std::filesystem::create_directory(base.outputDrivers() / "Own.xml");
    EXPECT_EQ(inBase("ScreeningParams.xml"), find());

    // An entry naming neither file counts as no entry.
    base.write("OutputDrivers/ScreeningParams.xml", manufacturerList("<M Name=\"KIP\"/>"));
    EXPECT_EQ(inBase("ScreeningParams.xml"), find());
}

// "Media" children of one parent, each marked so the test can tell which one was chosen.
AXMLTreeNode selectMedia(AXMLTree& tree, const std::string& children, int id) {
    EXPECT_TRUE(tree.loadXML(("<Model>" + children + "</Model>").c_str()));
    AXMLTreeNode root, child;
    tree.getRootNode(root);
    if (!SelectChildById(tree, root, "Media", id, child)) return {};
    return child;
}

std::string chosen(int id, const std::string& children) {
    AXMLTree tree("RootElement");
    const AXMLTreeNode child = selectMedia(tree, children, id);
    return child.isEmpty() ? "none" : tree.getAttribute(child, "Mark").str();
}

TEST(SelectChildById, ListEndsAtFirstEmptyItemAndSkipsNonNumbers) {
    EXPECT_EQ("a", chosen(7, "<Media ID=\"3,7\" Mark=\"a\"/>"));
    EXPECT_EQ("none", chosen(7, "<Media ID=\"3,,7\" Mark=\"a\"/>"));
    EXPECT_EQ("a", chosen(7, "<Media ID=\"x, 7\" Mark=\"a\"/>"));
    EXPECT_EQ("none", chosen(7, "<Media ID=\"\" Mark=\"a\"/>"));
    EXPECT_EQ("a", chosen(-101, "<Media ID=\"-101\" Mark=\"a\"/>"));
    EXPECT_EQ("none", chosen(7, "<PrintMode ID=\"7\" Mark=\"a\"/>"));
}

TEST(SelectChildById, FirstMatchWinsAndLastDefaultIsFallback) {
    const std::string children = "<Media ID=\"Default\" Mark=\"d1\"/><Media ID=\"1,2\" Mark=\"a\"/>"
                                 "<Media ID=\"2\" Mark=\"b\"/><Media ID=\"Default\" Mark=\"d2\"/>";
    EXPECT_EQ("a", chosen(2, children));
    EXPECT_EQ("d2", chosen(9, children));
    EXPECT_EQ("none", chosen(9, "<Media ID=\"default\" Mark=\"a\"/>"));   // "Default" is exact
}

TEST(SelectChildById, OverlongListsAreCutNotOverrun) {
    const std::string longItem(70, '0');   // 000...07 is 7 by value, but too long an item
    EXPECT_EQ("none", chosen(7, "<Media ID=\"" + longItem + "7\" Mark=\"a\"/>"));
    EXPECT_EQ("a", chosen(7, "<Media ID=\"" + longItem + "7,7\" Mark=\"a\"/>"));

    std::string list = "9,";
    for (int i = 100; i < 200; ++i) list += std::to_string(i) + ",";   // 402 characters
    const std::string media = "<Media ID=\"" + list + "\" Mark=\"a\"/>";
    EXPECT_EQ("a", chosen(162, media));      // the last item within 255 characters
    EXPECT_EQ("none", chosen(163, media));   // split by the cut: "16" must not be read
    EXPECT_EQ("none", chosen(16, media));
    EXPECT_EQ("none", chosen(199, media));
}

}  // namespace
