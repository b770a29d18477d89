#pragma once
// The host's raster job: a job file's raster data, page by page.
#include "AImage.h"
#include "AString.h"

class ZUJob {
public:
    ZUJob();
    ~ZUJob();
    ZUJob(const ZUJob&) = delete;
    ZUJob& operator=(const ZUJob&) = delete;

    // The raster file name that belongs to a job file, for prefix kind 0 or 2.
    static AString GetFileName(int prefixKind, const char* jobFilePath);
    int Load(const char* rasterPath);   // reads and checks header and page table; 0 on any fault
    int OpenData(int mode = 0);         // opens the line data for reading; 0 on failure
    int GetPageCount() const;
    AImage* GetImage(int page);         // owned by the job (an AGroupImage for tiled pages); null when absent
    int Flush();                        // releases what the last page held; 1
};
