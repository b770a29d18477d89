#pragma once
// The driver's per-job record, built from the job file header by openJob.
#include "DriverOptions.h"
#include "HostRecords.h"

#include <cstdint>

struct DriverJob {
    int32_t pageCount;            // set by the engine at job start
    double xResolution;           // dpi
    double yResolution;
    JobRequest* request;
    double pageWidth;             // inches
    double pageHeight;
    char modelName[64];
    char jobText1[64];
    char jobText2[64];
    char jobText3[64];
    char jobName[256];            // path of the source document
    DriverOptions options;
    int32_t colorMode;            // index into the colour mode list
    int16_t widthDpi;
    uint16_t heightWord;
    uint8_t aborted;
    char jobText4[128];
};
