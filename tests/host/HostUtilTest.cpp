#include "AFile.h"
#include "AFilePath.h"
#include "AString.h"
#include "RVLog.h"
#include "TempBaseFolder.h"

#include <gtest/gtest.h>

TEST(AString, FindAndSlicesStayInsideTheText) {
    AString s("report(1).final.pdf");
    EXPECT_EQ(s.Find('('), 6);
    EXPECT_EQ(s.Find("zz"), -1);
    EXPECT_EQ(s.ReverseFind('.'), 15);
    EXPECT_EQ(s.Left(6), "report");
    EXPECT_EQ(s.Right(3), "pdf");
    EXPECT_EQ(s.Mid(16), "pdf");
    EXPECT_EQ(s.Left(99), s);
    EXPECT_EQ(s.Mid(99), "");
    EXPECT_EQ(s.Find('r', 99), -1);
    AString f;
    f.Format("%3d%%", 7);
    EXPECT_EQ(f, "  7%");
}

TEST(AFilePath, DefaultIsBaseFolderAndComponentsAppend) {
    TempBaseFolder base;
    AFilePath p;
    EXPECT_EQ(p.GetFullPath(), base.path().string().c_str());
    p += "OutputDrivers";
    EXPECT_TRUE(p.isDirectory());
    p += "ZuKIPDes.xml";
    EXPECT_EQ(p.getFileName(), "ZuKIPDes.xml");
    EXPECT_FALSE(p.exists());
    p--;
    EXPECT_EQ(p.getFileName(), "OutputDrivers");
}

TEST(AFile, WritesReadsCopiesAndDeletes) {
    TempBaseFolder base;
    const auto path = (base.temp() / "a.bin").string();
    AFile f;
    ASSERT_TRUE(f.Open(path.c_str(), AFile::modeCreate | AFile::modeWrite | AFile::typeBinary));
    ASSERT_TRUE(f.Write("abcd", 4));
    f.Close();
    ASSERT_TRUE(f.Open(path.c_str(), AFile::modeRead | AFile::typeBinary));
    EXPECT_EQ(f.GetLength(), 4);
    char buf[8] = {};
    EXPECT_EQ(f.Read(buf, 8), 4u);
    f.Close();
    const auto copy = (base.temp() / "b.bin").string();
    EXPECT_TRUE(RVCopyFile(path.c_str(), copy.c_str()));
    EXPECT_EQ(readFile(copy), "abcd");
    EXPECT_TRUE(AFile::DeleteFile(copy.c_str()));
    EXPECT_FALSE(RVCopyFile(copy.c_str(), path.c_str()));
    EXPECT_FALSE(f.Open((base.temp() / "missing" / "x").string().c_str(), AFile::modeRead));
}

TEST(RVLog, WritesOneLinePerEntryAndCanBeCaptured) {
    TempBaseFolder base;
    RVLogCapture capture;
    RV_LOG("PrinterDriver\\Common\\Xsrc\\ABaseRTL")("ABaseRTL::WriteNdata num=%d", 5);
    ASSERT_TRUE(capture.contains("ABaseRTL::WriteNdata num=5"));
    const std::string log = readFile(base.temp() / "ZuKIP.log");
    EXPECT_NE(log.find(" E PrinterDriver\\Common\\Xsrc\\ABaseRTL("), std::string::npos);
    EXPECT_NE(log.find("): ABaseRTL::WriteNdata num=5\n"), std::string::npos);
}
