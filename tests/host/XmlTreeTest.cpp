#include "AEnXMLTree.h"
#include "TempBaseFolder.h"

#include <gtest/gtest.h>

TEST(XmlTree, MissingNodesChainToEmptyAnswers) {
    AXMLTree tree("RootElement");
    ASSERT_TRUE(tree.loadXML("<Root a='1'><B>text<!--c--><C/></B><B/></Root>"));
    AXMLTreeNode root, b, none, deeper;
    ASSERT_TRUE(tree.getRootNode(root));
    EXPECT_EQ(tree.getName(root), "Root");
    EXPECT_EQ(tree.getChildCount(root), 2);
    ASSERT_TRUE(tree.getChild("B", root, b));
    EXPECT_EQ(tree.getValue(b), "text");
    EXPECT_EQ(tree.getChildCount(b), 1);
    EXPECT_FALSE(tree.getChild("Z", root, none));
    EXPECT_FALSE(tree.getChild("B", none, deeper));
    EXPECT_EQ(tree.getAttribute(none, "a"), "");
    EXPECT_EQ(tree.getAttribute(root, "a"), "1");
    EXPECT_FALSE(tree.getChild(5, root, none));
}

TEST(XmlTree, BrokenOrMissingFilesFailAndKeepTheTree) {
    TempBaseFolder base;
    AEnXMLTree tree("RootElement");
    EXPECT_FALSE(tree.loadFromFileEn((base.path() / "nope.xml").c_str()));
    EXPECT_FALSE(tree.loadFromFileEn(base.write("bad.xml", "<Root><A></Root>").c_str()));
    EXPECT_FALSE(tree.loadFromFileEn(base.path().c_str()));   // a folder is no file, whatever size it claims
    EXPECT_FALSE(tree.loadFromFile(base.outputDrivers().c_str()));
    AXMLTreeNode root;
    ASSERT_TRUE(tree.getRootNode(root));
    EXPECT_EQ(tree.getName(root), "RootElement");
}

TEST(XmlTree, SavedAttributesReadBack) {
    TempBaseFolder base;
    AXMLTree tree("RootElement");
    AXMLTreeNode root, child;
    ASSERT_TRUE(tree.getRootNode(root));
    tree.setAttribute(root, "IP1", "127");
    tree.setAttribute(root, "IP1", "10");
    ASSERT_TRUE(tree.addChild(child, root, "Item", "v"));
    const auto path = base.temp() / "s.xml";
    ASSERT_TRUE(tree.saveToFile(path.c_str()));
    AXMLTree back("RootElement");
    ASSERT_TRUE(back.loadFromFile(path.c_str()));
    AStringArray names, values;
    ASSERT_TRUE(back.getRootNode(root));
    ASSERT_TRUE(back.getListAttribute(root, names, values));
    ASSERT_EQ(names.GetSize(), 1);
    EXPECT_EQ(values[0], "10");
}
