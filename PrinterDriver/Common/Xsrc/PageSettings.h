#pragma once
// The page engine's per-job settings: the job values an engine needs while it
// writes, taken once from the driver's job record and the host's request at
// job start.
#include "DriverJob.h"
#include "HostRecords.h"

#include "AString.h"

#include <cstdint>
#include <cstring>

struct PageSettings {
    static constexpr int kOptionsBytes = 120;   // the part of the options block kept per job
    static constexpr int kTextSize = 256;

    int32_t colorMode = 0;
    double pageWidth = 0;                     // inches
    double pageHeight = 0;
    double xResolution = 0;                   // dpi of the job
    double yResolution = 0;
    uint8_t options[kOptionsBytes] = {};      // first bytes of the job's options block
    char text2[kTextSize] = {};
    char text1[kTextSize] = {};
    char text3[kTextSize] = {};
    char model[kTextSize] = {};
    char jobName[kTextSize] = {};             // path of the source document
    char thumbnailPath[kTextSize] = {};
    int32_t mediaId = 0;
    int32_t printModeId = 0;
    int32_t resolutionId = 0;
    int32_t portCode = 0;                     // the request's port code at job start
    int32_t requestWord = 0;
    AString outputName;                       // set by SetOutputName

    // Copies the job's values; every text is cut to 255 characters and terminated.
    PageSettings(const DriverJob& job, const JobRequest& request)
        : colorMode(job.colorMode), pageWidth(job.pageWidth), pageHeight(job.pageHeight),
          xResolution(job.xResolution), yResolution(job.yResolution), mediaId(request.mediaId),
          printModeId(request.printModeId), resolutionId(request.resolutionId), portCode(request.portCode),
          requestWord(request.requestWord) {
        std::memcpy(options, &job.options, sizeof options);
        copyText(text2, job.jobText2, sizeof job.jobText2);
        copyText(text1, job.jobText1, sizeof job.jobText1);
        copyText(text3, job.jobText3, sizeof job.jobText3);
        copyText(model, job.modelName, sizeof job.modelName);
        copyText(jobName, job.jobName, sizeof job.jobName);
        copyText(thumbnailPath, request.thumbnailPath, sizeof request.thumbnailPath);
    }

private:
    // Host fields may lack their terminator, so the copy never reads past the field.
    static void copyText(char* field, const char* source, size_t sourceSize) {
        const size_t n = strnlen(source, sourceSize < kTextSize ? sourceSize : kTextSize - 1);
        std::memcpy(field, source, n);
        field[n] = '\0';
    }
};
