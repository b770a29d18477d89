#include "PrintCommand.h"

#include "BaseFolder.h"
#include "CommandLine.h"
#include "DriverModule.h"
#include "JobFileReader.h"
#include "JobFileWriter.h"
#include "JobRunner.h"
#include "OutputSummary.h"
#include "QueryTables.h"
#include "ToolError.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

volatile std::sig_atomic_t g_stop = 0;

void onInterrupt(int) { g_stop = 1; }

// Routes Ctrl-C to the job loop (which aborts the job) while it lives.
class InterruptGuard {
public:
    InterruptGuard() {
        g_stop = 0;
        struct sigaction action {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &previous_);
    }
    ~InterruptGuard() { sigaction(SIGINT, &previous_, nullptr); }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

private:
    struct sigaction previous_ {};
};

void printHelp() {
    std::printf(
        "Usage: zukip print [options] JOB\n"
        "\n"
        "Runs the job file JOB (made by zukip make-job or any host) through the driver module as a host\n"
        "does: openJob, setOutputName with the output folder and the job's document name, then\n"
        "processJobStep until the driver ends the job. Shows progress (a bar on a terminal), stops\n"
        "cleanly on Ctrl-C through abortJob, and ends with the job folder, its files and the ink\n"
        "coverage per colour. The driver's messages and log lines go to stderr. Exit status 0 only\n"
        "when the job ended normally.\n"
        "\n"
        "Options:\n"
        "  -o, --output DIR     folder in which the driver makes the job folder (default: zukip-output,\n"
        "                       made if missing)\n"
        "  -d, --document NAME  document name for the output names (default: the job header's)\n"
        "      --base DIR       host base folder (default: $ZUKIP_BASE_DIR, else\n"
        "                       %s)\n"
        "      --module FILE    driver module (default: $ZUKIP_MODULE, else the one installed with\n"
        "                       zukip)\n"
        "\n"
        "Example:\n"
        "  zukip print -o /tmp/kip-out poster.job\n",
        BaseFolder::samples().c_str());
}

void prepareOutputFolder(const std::string& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) throw ToolError("cannot make output folder " + folder + ": " + ec.message());
    if (!fs::is_directory(folder, ec)) throw ToolError("output folder " + folder + " is not a folder");
    if (access(folder.c_str(), W_OK | X_OK) != 0)
        throw ToolError("output folder " + folder + " is not writable: " + std::strerror(errno));
}

// The part after the last folder separator of either kind.
std::string fileNamePart(const std::string& path) {
    const size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace

int PrintCommand::run(const std::vector<std::string>& args) {
    const CommandLine cl(args, {{"output", 'o', true}, {"document", 'd', true}, {"base", 0, true}, {"module", 0, true}});
    if (cl.wantsHelp()) {
        printHelp();
        return 0;
    }
    if (cl.positionals().size() != 1) throw UsageError("print takes one job file (see --help)");
    const std::string jobPath = fs::absolute(cl.positionals().front()).string();
    const JobHeaderLayout header = JobFileReader::readHeader(jobPath);
    JobFileReader::findRaster(jobPath);
    const std::string outputFolder = fs::absolute(cl.value("output", "zukip-output")).string();
    prepareOutputFolder(outputFolder);
    BaseFolder::activate(BaseFolder::resolve(cl.value("base")));
    setenv("ZUKIP_LOG_STDERR", "1", 0);

    const DriverModule module(DriverModule::locate(cl.value("module")));
    DriverModule::Driver driver = module.createDriver();
    const std::string model = JobFileReader::text(header.modelName);
    std::printf("Printing %s (model \"%s\") into %s\n", jobPath.c_str(), model.c_str(), outputFolder.c_str());
    std::fflush(stdout);

    JobPaths paths{jobPath, JobFileWriter::thumbnailPath(jobPath), outputFolder,
                   cl.value("document", fileNamePart(JobFileReader::text(header.jobName)))};
    const std::set<std::string> before = OutputSummary::snapshot(outputFolder);
    ProgressDisplay progress(stdout, isatty(STDOUT_FILENO) != 0);
    JobOutcome outcome;
    std::vector<std::string> colourNames;
    {
        const InterruptGuard guard;
        JobRunner runner(*driver, progress, g_stop);
        outcome = runner.run(paths);
        PrinterSetup setup;
        std::strncpy(setup.modelName, model.c_str(), sizeof setup.modelName - 1);
        for (const ColorantEntry& c : QueryTables(*driver, setup, "", 0).colorants(header.colorMode))
            colourNames.push_back(JobFileReader::text(c.name));
        // Destroying the driver finishes any image it still holds, while the runner's request still lives.
        driver.reset();
    }

    DriverOptions options;
    std::memcpy(&options, header.options, sizeof options);
    const bool inverted = options.invertOutput != 0;
    std::printf("\n%s", OutputSummary::collect(outputFolder, before, colourNames, inverted).render().c_str());
    if (outcome.state == JobOutcome::Finished) {
        std::printf("\nJob finished in %ld step(s).\n", outcome.steps);
        return 0;
    }
    std::fflush(stdout);
    std::fprintf(stderr, "zukip print: job %s: %s\n", outcome.state == JobOutcome::Aborted ? "aborted" : "failed",
                 outcome.reason.c_str());
    return outcome.state == JobOutcome::Aborted ? 130 : 1;
}
