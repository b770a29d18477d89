#pragma once
// Drives one job through a driver as a host does: openJob, setOutputName,
// processJobStep until the request's port code turns -1, abortJob when the
// user asks to stop.
#include "ABasePrinterDriver.h"
#include "ProgressDisplay.h"
#include "TileRequest.h"

#include <csignal>
#include <memory>
#include <string>

struct JobOutcome {
    enum State { Finished, Failed, Aborted };
    State state = Failed;
    std::string reason;      // why it failed, for the user
    long steps = 0;          // processJobStep calls made
    long long portBytes = 0; // bytes the driver sent to the output port
};

struct JobPaths {
    std::string jobFile;        // the job file (its header and raster file next to it)
    std::string thumbnail;      // the job's thumbnail, may not exist
    std::string outputFolder;   // where the driver makes the job folder
    std::string documentName;   // names the output (the job header's document name)
    int mediaId = 0;            // medium and print mode of the request
    int printModeId = 0;
};

// The output port handed to the driver. The KIP driver writes its files itself; anything it sends here is
// only counted.
class CountingPort : public OutputPort {
public:
    int32_t write(const void*, int32_t count, uint64_t) override {
        if (count > 0) bytes += count;
        return count;
    }
    long long bytes = 0;
};

class JobRunner {
public:
    // stop is polled between steps (a signal handler sets it); progress shows the status text.
    JobRunner(ABasePrinterDriver& driver, ProgressDisplay& progress, const volatile std::sig_atomic_t& stop);

    // Runs the job, with the tile fields of tiles in its request, to its end; Finished only when the
    // driver ended it normally. The request (with a copy of the tile lists) and port stay alive with the
    // runner, since the driver keeps pointers to them until it is destroyed.
    JobOutcome run(const JobPaths& paths, const TileRequest& tiles = TileRequest());

private:
    JobOutcome end(JobOutcome outcome);

    ABasePrinterDriver& driver_;
    ProgressDisplay& progress_;
    const volatile std::sig_atomic_t& stop_;
    std::unique_ptr<JobRequest> request_;
    TileRequest tiles_;
    CountingPort port_;
};
