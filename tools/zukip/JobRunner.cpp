#include "JobRunner.h"

#include <cstring>

namespace {

constexpr int32_t kFilePort = 256;   // the port code of a job written to files

template <size_t N>
void copyText(char (&field)[N], const std::string& text) {
    std::memset(field, 0, N);
    std::strncpy(field, text.c_str(), N - 1);
}

std::string statusOf(const JobRequest& request) {
    const std::string text(request.statusText, strnlen(request.statusText, sizeof request.statusText));
    return text.empty() ? "" : " (status: " + text + ")";
}

}  // namespace

JobRunner::JobRunner(ABasePrinterDriver& driver, ProgressDisplay& progress, const volatile std::sig_atomic_t& stop)
    : driver_(driver), progress_(progress), stop_(stop), request_(std::make_unique<JobRequest>()) {}

JobOutcome JobRunner::end(JobOutcome outcome) {
    progress_.finish();
    outcome.portBytes = port_.bytes;
    return outcome;
}

JobOutcome JobRunner::run(const JobPaths& paths, const TileRequest& tiles) {
    JobOutcome outcome;
    JobRequest& request = *request_;
    std::memset(static_cast<void*>(&request), 0, sizeof request);
    copyText(request.jobFilePath, paths.jobFile);
    copyText(request.thumbnailPath, paths.thumbnail);
    request.portCode = kFilePort;
    request.mediaId = paths.mediaId;
    request.printModeId = paths.printModeId;
    tiles_ = tiles;
    tiles_.applyTo(request);

    if (!driver_.openJob(&request, &port_)) {
        outcome.reason = "the driver refused job " + paths.jobFile + statusOf(request);
        return end(outcome);
    }
    driver_.setOutputName(paths.outputFolder.c_str(), reinterpret_cast<intptr_t>(paths.documentName.c_str()));
    if (request.portCode == -1) {
        outcome.reason = "the driver refused the output folder " + paths.outputFolder + statusOf(request);
        return end(outcome);
    }
    while (request.portCode != -1) {
        if (stop_) {
            driver_.abortJob();
            outcome.state = JobOutcome::Aborted;
            outcome.reason = "stopped by the user";
            return end(outcome);
        }
        const int ok = driver_.processJobStep();
        ++outcome.steps;
        progress_.update(request.statusText, request.statusKind);
        if (!ok) {
            outcome.reason = "the driver failed at step " + std::to_string(outcome.steps) + statusOf(request);
            return end(outcome);
        }
    }
    outcome.state = JobOutcome::Finished;
    progress_.complete();
    return end(outcome);
}
