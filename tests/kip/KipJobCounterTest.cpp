// The job counter shared by several processes: four print queues, each a
// process that prints the same document ten times into one output folder,
// with the window between reading the counter and making the job folder
// widened. Every job gets its own folder and the counter counts them all.
#include "CDriver.h"
#include "KIPUniqueId.h"
#include "KipHost.h"
#include "RTL.h"

#include "Platform/PlatformMessageBox.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
constexpr int kProcesses = 4;
constexpr int kJobsEach = 10;

// Inside the counter's lock, only one process at a time: the hook marks the
// window with a file of its own and notes when another process is in it too.
std::string g_window;
void widenWindow() {
    const std::string inside = g_window + ".inside";
    const int fd = open(inside.c_str(), O_CREAT | O_EXCL | O_WRONLY, 0644);
    if (fd < 0) close(open((g_window + ".overlap").c_str(), O_CREAT | O_WRONLY, 0644));
    usleep(2000);
    if (fd >= 0) {
        close(fd);
        unlink(inside.c_str());
    }
}

// Prints job kJobsEach times on one driver; the number of jobs that failed.
int printQueue(KipTestJob& job, const std::string& output) {
    CDriver driver(new RTL());
    int failed = 0;
    for (int i = 0; i < kJobsEach; ++i) {
        job.request.portCode = RTL::kFilePort;
        const JobRun run = runJob(driver, job, output);
        if (!run.ended || run.failedSteps != 0 || run.steps == 0) ++failed;
    }
    return failed;
}
}  // namespace

TEST(KipJobCounter, ConcurrentQueuesDrawDistinctNumbersAndCountEveryJob) {
    TempBaseFolder base;
    base.copySamples();
    MessageBoxCapture boxes;
    installKipModel(base.path(), {{"FolderName", "filename_uniqID"}, {"FinishFile", "Finish.txt"}, {"TileSeparate", "No"}});
    KipTestJob job(base.path(), kKipModel, 0);
    job.write({{16, 2, {{"Black", 1}}}});
    const fs::path output = base.path() / "out";

    g_window = (base.path() / "window").string();
    KIPUniqueId::drawWindowHook = widenWindow;
    std::vector<pid_t> queues;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) _exit(printQueue(job, output.string()));
        queues.push_back(pid);
    }
    KIPUniqueId::drawWindowHook = nullptr;
    for (const pid_t pid : queues) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "failed jobs: " << WEXITSTATUS(status);
    }

    EXPECT_FALSE(fs::exists(g_window + ".overlap")) << "two processes drew at the same time";
    const std::vector<std::string> folders = fileNames(output);
    EXPECT_EQ(folders.size(), size_t{kProcesses * kJobsEach});
    for (const std::string& folder : folders) EXPECT_TRUE(fs::exists(output / folder / "Finish.txt")) << folder;
    const uint32_t jobs = kProcesses * kJobsEach;
    EXPECT_EQ(readBytes(base.temp() / "KIPUniqIDCounter"), (std::vector<unsigned char>{jobs, 0, 0, 0}));
}
