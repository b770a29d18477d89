// A job is whole or fails: writes that fail the way they do on a full disk
// (the file size limit of the process drops to a few bytes just before the
// chosen file is written) fail the job, name the file, leave no finish file,
// and leave the folders of earlier jobs as they were; on a tiled page the
// same holds for tile images and tile tickets.
#include "AFile.h"
#include "CDriver.h"
#include "KipHost.h"
#include "RTL.h"
#include "TempBaseFolder.h"
#include "ZipReadBack.h"

#include "Platform/PlatformMessageBox.h"

#include <gtest/gtest.h>

#include <csignal>
#include <map>
#include <sys/resource.h>

namespace {
// The file whose write runs into the full disk, the writes of it that still succeed, and the
// limits to restore.
std::string g_target;
int g_skipped = 0;
rlimit g_saved{};

// Writing g_target (after g_skipped earlier writes of it), and everything after it, runs into a
// file size limit of a few bytes.
void fillDisk(const char* path) {
    if (fs::path(path).filename() != g_target || g_skipped-- > 0) return;
    rlimit full = g_saved;
    full.rlim_cur = 8;
    setrlimit(RLIMIT_FSIZE, &full);
}

// Runs job again, from a fresh request, on a new engine into output; with a target, the disk is full
// at that file (fillDisk), SIGXFSZ ignored so that the write itself reports the failure.
JobRun rerun(KipTestJob& job, const fs::path& output, const std::string& target = "", int skipped = 0) {
    job.request.portCode = RTL::kFilePort;
    job.request.statusText[0] = '\0';
    g_target = target;
    g_skipped = skipped;
    getrlimit(RLIMIT_FSIZE, &g_saved);
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    SetFileWriteHook(target.empty() ? nullptr : fillDisk);
    JobRun run;
    {
        CDriver driver(new RTL());
        run = runJob(driver, job, output.string());
    }
    SetFileWriteHook(nullptr);
    setrlimit(RLIMIT_FSIZE, &g_saved);
    std::signal(SIGXFSZ, handler);
    return run;
}
}  // namespace

TEST(KipWriteFault, AFailedWriteFailsTheJobNamesTheFileAndWritesNoFinishFile) {
    TempBaseFolder base;
    base.copySamples();
    // Job folders "plan_1", "plan_2", ...; the thumbnail keeps its default name.
    KipModel model = kipJobModel({{"FolderName", "filename_uniqID"}});
    model.erase("uniqID");
    model.erase("ThumbnailName");
    installKipModel(base.path(), model);
    const fs::path thumbnail = base.write("spool/J42.bmp", "BM thumbnail");
    const fs::path output = base.path() / "out";
    MessageBoxCapture boxes;
    // Yellow gets no lines: its separation is the blank image finished at the end of the job.
    KipTestJob job(base.path(), kKipModel, 0);
    job.write({{64, 16, {{"Cyan", 1}, {"Magenta", 1}, {"Black", 1}}}});
    std::strcpy(job.request.thumbnailPath, thumbnail.c_str());
    ASSERT_EQ(rerun(job, output).failedSteps, 0);
    const std::map<std::string, std::string> finished = folderFiles(output);
    ASSERT_EQ(finished.count("plan_1/Finish.txt"), 1u);
    // The thumbnail is copied as it is, the finish file from its template; Yellow is blank.
    EXPECT_EQ(finished.at("plan_1/thumbnail.bmp"), "BM thumbnail");
    EXPECT_EQ(finished.at("plan_1/JobTicket.xml").find("RV_"), std::string::npos) << "a ticket token is left unfilled";
    EXPECT_EQ(finished.at("plan_1/Finish.txt"), readFile(base.outputDrivers() / "JobTicketTemplates" / "Finish.txt"));
    const ReadImage yellow = readTiff(output / "plan_1" / "plan_1_Yellow.tif");
    ASSERT_EQ(yellow.rows.size(), 16u);
    for (const auto& row : yellow.rows) EXPECT_EQ(row, std::vector<uint8_t>(8, 0));

    // The status names the file whose write fails.
    const struct {
        const char* target;
        int skipped = 0;   // writes of target that still succeed
    } cases[] = {
        {"thumbnail.bmp"},
        {"plan_1_Cyan.tif"},
        {"plan_1_Black.tif", 1},   // moving the last separation's directory
        {"plan_1_Yellow.tif"},     // the blank image's rows reach the disk with its last row
        {"Accounting.txt"},
        {"JobTicket.xml"},
        {"Finish.txt"},
    };
    int number = 1;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        const fs::path folder = output / ("plan_" + std::to_string(++number));
        const JobRun run = rerun(job, output, c.target, c.skipped);
        EXPECT_TRUE(run.ended);
        EXPECT_LE(run.failedSteps, 1);
        EXPECT_EQ(job.request.portCode, -1);
        EXPECT_EQ(std::string(job.request.statusText), std::string("Write Data Error: ") + c.target);
        EXPECT_TRUE(fs::exists(folder));
        EXPECT_FALSE(fs::exists(folder / "Finish.txt"));
        std::map<std::string, std::string> earlier = folderFiles(output);
        std::erase_if(earlier, [](const auto& file) { return file.first.rfind("plan_1", 0) != 0; });
        EXPECT_EQ(earlier, finished);
    }
}

TEST(KipWriteFault, AFailedTileOrTileTicketFailsTheTiledJob) {
    TempBaseFolder base;
    base.copySamples();
    installKipModel(base.path(), kipTileModel());
    MessageBoxCapture boxes;
    KipTestJob job(base.path(), kKipModel, 0);
    job.requestTiles(3);
    job.write({{64, 16, {{"Cyan", 1}, {"Black", 1}}, {{32, 16}, {32, 16}}}});

    // The file whose write fails, which the status names; a tile's rows reach the disk with its last row.
    for (const std::string target : {"plan_7_Cyan.tif", "T_8.xml", "plan_8_Magenta.tif"}) {
        SCOPED_TRACE(target);
        const fs::path output = base.path() / target;
        const JobRun run = rerun(job, output, target);
        EXPECT_TRUE(run.ended);
        EXPECT_EQ(run.failedSteps, 1);
        EXPECT_EQ(std::string(job.request.statusText), "Write Data Error: " + target);
        EXPECT_FALSE(fs::exists(output / "JobTicket.xml"));
    }
}
