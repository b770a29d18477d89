// The host stand-ins where the driver relies on their edge behaviour: paths
// below the base folder, file copies, the log line format, and XML lookups
// that chain through missing nodes.
#include "AEnXMLTree.h"
#include "AFile.h"
#include "AFilePath.h"
#include "RVLog.h"
#include "TempBaseFolder.h"

#include <gtest/gtest.h>

TEST(HostFiles, PathsCopiesAndDeletesBelowTheBaseFolder) {
    TempBaseFolder base;
    AFilePath p;
    EXPECT_EQ(p.GetFullPath(), base.path().string().c_str());
    p += "OutputDrivers";
    EXPECT_TRUE(p.isDirectory());
    p += "ZuKIPDes.xml";
    EXPECT_FALSE(p.exists());
    p--;
    EXPECT_EQ(p.getFileName(), "OutputDrivers");

    const auto path = base.write("Temp/a.bin", "abcd").string(), copy = (base.temp() / "b.bin").string();
    EXPECT_TRUE(RVCopyFile(path.c_str(), copy.c_str()));
    EXPECT_EQ(readFile(copy), "abcd");
    EXPECT_TRUE(AFile::DeleteFile(copy.c_str()));
    EXPECT_FALSE(RVCopyFile(copy.c_str(), path.c_str()));
    AFile f;
    EXPECT_FALSE(f.Open((base.temp() / "missing" / "x").string().c_str(), AFile::modeRead));
}

TEST(HostLog, OneLinePerEntryWithSourceAndLine) {
    TempBaseFolder base;
    RVLogCapture capture;
    RV_LOG("PrinterDriver\\Common\\Xsrc\\ABaseRTL")("ABaseRTL::WriteNdata num=%d", 5);
    ASSERT_TRUE(capture.contains("ABaseRTL::WriteNdata num=5"));
    const std::string log = readFile(base.temp() / "ZuKIP.log");
    EXPECT_NE(log.find(" E PrinterDriver\\Common\\Xsrc\\ABaseRTL("), std::string::npos);
    EXPECT_NE(log.find("): ABaseRTL::WriteNdata num=5\n"), std::string::npos);
}

TEST(XmlTree, MissingNodesChainToEmptyAnswers) {
    AXMLTree tree("RootElement");
    ASSERT_TRUE(tree.loadXML("<Root a='1'><B>text<!--c--><C/></B><B/></Root>"));
    AXMLTreeNode root, b, none, deeper;
    ASSERT_TRUE(tree.getRootNode(root));
    EXPECT_EQ(tree.getChildCount(root), 2);
    ASSERT_TRUE(tree.getChild("B", root, b));
    EXPECT_EQ(tree.getValue(b), "text");
    EXPECT_EQ(tree.getChildCount(b), 1);
    EXPECT_FALSE(tree.getChild("Z", root, none));
    EXPECT_FALSE(tree.getChild("B", none, deeper));
    EXPECT_EQ(tree.getAttribute(none, "a"), "");
    EXPECT_EQ(tree.getAttribute(root, "a"), "1");
}

TEST(XmlTree, BadFilesFailAndSavedAttributesReadBack) {
    TempBaseFolder base;
    AEnXMLTree tree("RootElement");
    EXPECT_FALSE(tree.loadFromFileEn((base.path() / "nope.xml").c_str()));
    EXPECT_FALSE(tree.loadFromFileEn(base.write("bad.xml", "<Root><A></Root>").c_str()));
    EXPECT_FALSE(tree.loadFromFileEn(base.path().c_str()));   // a folder is no file, whatever size it claims
    AXMLTreeNode root, child;
    ASSERT_TRUE(tree.getRootNode(root));
    EXPECT_EQ(tree.getName(root), "RootElement");

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
