// Fuzzes the reading of the host's job file header: the input is the job
// file; the driver reads it into a fresh job record as openJob does. A short
// file must be refused; every text copied into the record must be terminated.
#include "ABasePrinterDriverImp.h"
#include "DriverError.h"
#include "FuzzSupport.h"
#include "JobHeader.h"

#include <cstring>

namespace {
// The driver without engine, with the job record that openJob would make.
class HeaderReader : public ABasePrinterDriverImp {
public:
    // readJobHeader's answer for request; false when it raised.
    bool read(JobRequest& request) {
        delete job;
        job = new DriverJob{};
        job->request = &request;
        try {
            return readJobHeader() == 1;
        } catch (const DriverError&) {
            return false;
        }
    }
};

template <size_t N>
void requireTerminated(const char (&text)[N]) {
    if (!std::memchr(text, '\0', N)) FuzzFail("job text not terminated");
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = WriteFuzzFile("job.job", data, size);
    JobRequest request{};
    std::strncpy(request.jobFilePath, path.c_str(), sizeof request.jobFilePath - 1);
    HeaderReader reader;
    const bool read = reader.read(request);
    if (read != (size >= kJobHeaderSize)) FuzzFail("header accepted or refused against its size");
    if (!read) return 0;
    const DriverJob& job = *reader.currentJob();
    requireTerminated(job.jobName);
    requireTerminated(job.modelName);
    requireTerminated(job.jobText1);
    requireTerminated(job.jobText2);
    requireTerminated(job.jobText3);
    requireTerminated(job.jobText4);
    if (std::memcmp(&job.options, data + offsetof(JobHeaderLayout, options), sizeof job.options) != 0)
        FuzzFail("options block not taken from the header");
    return 0;
}
