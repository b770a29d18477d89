#pragma once
// A small printer description ("KIP Test" -> "Test.xml") that tests load
// into a temporary base folder, whole or with one piece of text replaced.
#include "CDynamic.h"
#include "PlatformMessageBox.h"
#include "TempBaseFolder.h"

#include <gtest/gtest.h>

#include <string>

inline const char* const kTestModel = "KIP Test 9000";

// Media 0..2 (default 1), print modes 0..2, resolutions 0 (300x300) and 1
// (600x1200), colours Cyan, "#10,20,30", "#10", Black; colour modes 0 "CMYK"
// (Order 0,1,2,3), 1 "Spots", 150 "Wide". Control_Definition offers media
// 2, 9 (unknown), 0; medium 0 has print modes 1, 7 (unknown), 2 (default).
inline std::string testDescription() {
    return R"(<Root>
 <BaseResourceNumber><BaseMedia>-1</BaseMedia><BasePrintMode>-1</BasePrintMode>
  <BaseResolution></BaseResolution><BaseColor>-1</BaseColor><BaseColorMode>-1</BaseColorMode></BaseResourceNumber>
 <Definition>
  <MediaList DefaultMedia="1">
   <M><ID>0</ID><InternalName>Bond</InternalName><DisplayName>Plain Bond</DisplayName></M>
   <M><ID>1</ID><InternalName>Film</InternalName><DisplayName>Film</DisplayName></M>
   <M><ID>2</ID><InternalName>Vellum</InternalName><DisplayName>Vellum</DisplayName></M></MediaList>
  <PrintModeList>
   <P><ID>0</ID><InternalName>Std</InternalName><DisplayName>Standard</DisplayName></P>
   <P><ID>1</ID><InternalName>Fast</InternalName><DisplayName>Fast</DisplayName></P>
   <P><ID>2</ID><InternalName>Best</InternalName><DisplayName>Best</DisplayName></P></PrintModeList>
  <ResolutionList>
   <R><ID>0</ID><XResValue>300</XResValue><YResValue>300</YResValue><DisplayName>Low</DisplayName></R>
   <R><ID>1</ID><XResValue> 600dpi</XResValue><YResValue>1.2e3</YResValue><DisplayName>High</DisplayName></R></ResolutionList>
  <ColorList>
   <C><ID>0</ID><InternalName>Cyan</InternalName><DisplayName>Cyan</DisplayName></C>
   <C><ID>1</ID><InternalName>#10,20,30</InternalName><DisplayName>Rgb</DisplayName></C>
   <C><ID>2</ID><InternalName>#10</InternalName><DisplayName>Red</DisplayName></C>
   <C><ID>3</ID><InternalName>Black</InternalName><DisplayName>Black</DisplayName></C></ColorList>
  <ColorModeList>
   <CM Order="0,1,2,3"><ID>0</ID><InternalName>CMYK</InternalName><DisplayName>CMYK</DisplayName><ColorantList>
    <K ID="0" IsSpotColor="0"><ColorDepth>1</ColorDepth></K><K ID="1" IsSpotColor="0"><ColorDepth>1</ColorDepth></K>
    <K ID="2" IsSpotColor="0"><ColorDepth>1</ColorDepth></K><K ID="3" IsSpotColor="0"><ColorDepth>1</ColorDepth></K>
   </ColorantList></CM>
   <CM><ID>1</ID><InternalName>Spots</InternalName><DisplayName>Spots</DisplayName><ColorantList>
    <K ID="1" IsSpotColor="1"><ColorDepth>8</ColorDepth></K><K ID="2" IsSpotColor="2"><ColorDepth>8</ColorDepth></K>
   </ColorantList></CM>
   <CM><ID>150</ID><InternalName>Wide</InternalName><DisplayName>Wide</DisplayName></CM>
  </ColorModeList>
 </Definition>
 <Control_Definition>
  <Media ID="2" DefaultPrintMode="0"><PrintMode ID="0"><Resolution ID="0"/></PrintMode></Media>
  <Media ID="9"/>
  <Media ID="0" DefaultPrintMode="2">
   <PrintMode ID="1"/><PrintMode ID="7"/><PrintMode ID="2">
    <Resolution ID="1" DefaultColorMode="1"><ColorMode ID="0"/><ColorMode ID="1"/></Resolution>
    <Resolution ID="5"/><Resolution ID="0"/></PrintMode></Media>
 </Control_Definition>
</Root>)";
}

// Replaces the first occurrence of `from` (which must exist) by `to`.
inline std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

// Renames the first element named tag (its start and end tags).
inline std::string renamed(const std::string& text, const std::string& tag, const std::string& newTag) {
    return replaced(replaced(text, "<" + tag, "<" + newTag), "</" + tag + ">", "</" + newTag + ">");
}

// A base folder whose index maps "KIP Test" to Test.xml, with boxes captured.
class DescriptionTest : public ::testing::Test {
protected:
    DescriptionTest() { base.write("OutputDrivers/ZuKIPDes.xml", R"(<I><E Name="KIP Test" XMLFile="Test.xml"/></I>)"); }
    void writeDescription(const std::string& text) const { base.write("OutputDrivers/Test.xml", text); }

    TempBaseFolder base;
    MessageBoxCapture boxes;
};

// A setup for the test model with the given ids.
inline PrinterSetup testSetup(int media, unsigned printMode, unsigned resolution) {
    PrinterSetup setup;
    ZuCopyField(setup.modelName, sizeof setup.modelName, kTestModel);
    setup.mediaId = media;
    setup.printModeId = printMode;
    setup.resolutionId = resolution;
    return setup;
}
