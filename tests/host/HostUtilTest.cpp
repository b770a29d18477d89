// The host log's line format, which people read when a job goes wrong: the
// stand-ins' other edge behaviour (paths below the base folder, file copies,
// XML lookups through missing nodes) is exercised by every driver test that
// loads a description, copies a thumbnail or saves settings.
#include "RVLog.h"
#include "TempBaseFolder.h"

#include <gtest/gtest.h>

TEST(HostLog, OneLinePerEntryWithSourceAndLine) {
    TempBaseFolder base;
    RVLogCapture capture;
    RV_LOG("PrinterDriver\\Common\\Xsrc\\ABaseRTL")("ABaseRTL::WriteNdata num=%d", 5);
    ASSERT_TRUE(capture.contains("ABaseRTL::WriteNdata num=5"));
    const std::string log = readFile(base.temp() / "ZuKIP.log");
    EXPECT_NE(log.find(" E PrinterDriver\\Common\\Xsrc\\ABaseRTL("), std::string::npos);
    EXPECT_NE(log.find("): ABaseRTL::WriteNdata num=5\n"), std::string::npos);
}
