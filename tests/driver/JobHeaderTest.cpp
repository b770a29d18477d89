// The job header read by openJob, and the file class that reads it.
#include "AFM_File.h"
#include "AString.h"
#include "CDriver.h"
#include "JobHeader.h"
#include "TempBaseFolder.h"
#include "TestEngine.h"
#include "TestJob.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {
// The shared test job's header with every field the driver reads set to a value of its own.
JobHeaderLayout sampleHeader(JobHeaderLayout header) {
    SetJobHeaderText(header.jobText1, "first");
    SetJobHeaderText(header.jobText2, "second");
    SetJobHeaderText(header.jobText4, "fourth");
    header.yResolution = 150.0f;
    header.pageHeight = 48.5;
    header.widthDpi = 600;
    header.heightWord = 0xBEEF;
    header.colorMode = 3;
    for (int i = 0; i < 256; ++i) header.options[i] = static_cast<uint8_t>(i);
    return header;
}

std::vector<unsigned char> headerBytes(const JobHeaderLayout& header) {
    const auto* p = reinterpret_cast<const unsigned char*>(&header);
    return std::vector<unsigned char>(p, p + sizeof header);
}

class JobHeader : public ::testing::Test {
protected:
    JobHeader() : engine(new TestEngine), driver(engine), hostJob(base.path()), request(hostJob.request) {}

    // Opens the job over a job file holding bytes; the job record afterwards.
    const DriverJob* open(const std::vector<unsigned char>& bytes, int expected = 1) {
        writeBytes(hostJob.jobFile(), bytes);
        EXPECT_EQ(driver.openJob(&request, &port), expected);
        return driver.currentJob();
    }

    TempBaseFolder base;
    TestEngine* engine;
    CDriver driver;
    NullPort port;
    TestJob hostJob;
    JobRequest& request;
};
}  // namespace

TEST_F(JobHeader, FieldsSitAtTheirFileOffsets) {
    // Written byte by byte, independently of the layout struct.
    std::vector<unsigned char> bytes(kJobHeaderSize, 0);
    const std::string model = "KIP 850";
    std::copy(model.begin(), model.end(), bytes.begin() + 584);
    const float x = 400.0f;
    std::memcpy(&bytes[712], &x, 4);
    const double height = 12.25;
    std::memcpy(&bytes[816], &height, 8);
    bytes[856] = 0x58, bytes[857] = 0x02;   // 600
    bytes[2552 + 4] = 7;                    // copies
    bytes[3704] = 'J';
    bytes[3834] = 2;
    const DriverJob* job = open(bytes);
    EXPECT_STREQ(job->modelName, "KIP 850");
    EXPECT_EQ(job->xResolution, 400.0);
    EXPECT_EQ(job->pageHeight, 12.25);
    EXPECT_EQ(job->widthDpi, 600);
    EXPECT_EQ(job->options.copies, 7);
    EXPECT_STREQ(job->jobText1, "J");
    EXPECT_EQ(job->colorMode, 2);
}

TEST_F(JobHeader, FullLengthTextsArriveCutAndColourModeIsSignExtended) {
    JobHeaderLayout header = sampleHeader(hostJob.header);
    std::memset(header.modelName, 'M', sizeof header.modelName);
    std::memset(header.jobName, 'N', sizeof header.jobName);
    std::memset(header.jobText4, 'T', sizeof header.jobText4);
    header.colorMode = static_cast<int16_t>(0xFFFF);
    const DriverJob* job = open(headerBytes(header));
    EXPECT_EQ(std::string(job->modelName), std::string(63, 'M'));
    EXPECT_EQ(std::string(job->jobName), std::string(255, 'N'));
    EXPECT_EQ(std::string(job->jobText4), std::string(127, 'T'));
    EXPECT_EQ(job->colorMode, -1);
}

TEST_F(JobHeader, MissingFileOrAnyShortPrefixRefusesTheJob) {
    std::vector<unsigned char> bytes = headerBytes(sampleHeader(hostJob.header));
    const DriverJob* whole = open(bytes, 1);
    EXPECT_NE(request.portCode, -1);
    EXPECT_EQ(engine->startedOptions, &whole->options);   // the engine works on the job's own copy
    for (size_t length : {size_t{0}, size_t{1}, size_t{600}, size_t{3833}, kJobHeaderSize - 1}) {
        request.portCode = 256;
        const DriverJob* job = open(std::vector<unsigned char>(bytes.begin(), bytes.begin() + static_cast<long>(length)), 0);
        EXPECT_EQ(request.portCode, -1) << length;
        EXPECT_STREQ(job->modelName, "") << length;   // nothing of a short header is copied
    }
    request.portCode = 256;
    ZuCopyField(request.jobFilePath, sizeof request.jobFilePath, (base.path() / "none" / "job.zuj").c_str());
    EXPECT_EQ(driver.openJob(&request, &port), 0);
    EXPECT_EQ(request.portCode, -1);
}

TEST(AFMFile, SplitsFolderAndNameAtTheLastSeparatorOfEither) {
    TempBaseFolder base;
    const std::string folder = (base.path() / "sub").string();
    std::filesystem::create_directories(folder);
    AFM_File file;
    char text[AFM_File::kPathSize];
    EXPECT_EQ(file.GetFolder(text, sizeof text), 0);   // closed
    EXPECT_EQ(file.GetFileName(text, sizeof text), 0);
    ASSERT_TRUE(file.Open((folder + "/a\\b.job").c_str(), AFM_File::kReadWrite));
    EXPECT_EQ(file.GetFolder(text, sizeof text), 1);
    EXPECT_EQ(std::string(text), folder + "/a");
    EXPECT_EQ(file.GetFileName(text, sizeof text), 1);
    EXPECT_STREQ(text, "b.job");

    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(base.path());
    AFM_File plain;
    ASSERT_TRUE(plain.Open("plain.job", AFM_File::kWrite));
    EXPECT_EQ(plain.GetFolder(text, sizeof text), 1);
    EXPECT_STREQ(text, "");
    plain.Close();
    std::filesystem::current_path(previous);
}

TEST(AFMFile, ReadsWritesSeeksTruncatesAndDeletes) {
    TempBaseFolder base;
    const std::string path = (base.path() / "data.bin").string();
    AFM_File file;
    EXPECT_FALSE(file.Open(path.c_str(), 3));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.Tell(), -1);
    ASSERT_TRUE(file.Open(path.c_str(), AFM_File::kReadWrite));
    EXPECT_EQ(file.Write("abcdef", 6, 0, AFM_File::kBegin), 6u);
    EXPECT_EQ(file.Write("XY", 2, -3, AFM_File::kEnd), 2u);
    char buffer[8] = {};
    EXPECT_EQ(file.Read(buffer, 8, 1, AFM_File::kBegin), 5u);   // stops at the end
    EXPECT_STREQ(buffer, "bcXYf");
    EXPECT_EQ(file.Read(buffer, 1, 0, 7), 0u);                  // unknown origin
    EXPECT_EQ(file.Seek(2, AFM_File::kBegin), 1);
    EXPECT_EQ(file.Tell(), 2);
    EXPECT_EQ(file.Truncate(), 1);
    EXPECT_EQ(std::filesystem::file_size(path), 2u);
    EXPECT_EQ(file.Delete(), 1);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(file.Delete(), 0);
}
