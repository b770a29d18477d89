#pragma once
// The host's raster job: a job file's raster data, page by page, read from
// the raster job file that belongs to it (docs/raster-format.md).
//
// Load reads and checks the header and page table; OpenData opens the line
// data. Page images are made on demand by GetImage and stay valid until
// Flush, the next Load or the job's destruction.
#include "AImage.h"
#include "AString.h"

#include <memory>

class ZUJob {
public:
    ZUJob();
    ~ZUJob();
    ZUJob(const ZUJob&) = delete;
    ZUJob& operator=(const ZUJob&) = delete;

    // The raster file name that belongs to a job file: prefix kind 2 replaces the
    // extension of the job file's name by ".zrs" (or appends it), kind 0 appends
    // ".zrs" to the whole path; empty for other kinds or no path.
    static AString GetFileName(int prefixKind, const char* jobFilePath);
    int Load(const char* rasterPath);   // reads and checks header and page table; 0 on any fault
    int OpenData(int mode = 0);         // opens the line data for reading (mode 0 only); 0 on failure
    int GetPageCount() const;           // 0 before a successful Load
    AImage* GetImage(int page);         // owned by the job (an AGroupImage for tiled pages); null when absent
    int Flush();                        // releases the page images made so far; 1

private:
    struct Data;
    std::unique_ptr<Data> d_;
};
