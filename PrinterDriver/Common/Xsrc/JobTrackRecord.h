#pragma once
// The page engine's per-job tracking record: where the job, page, plane and
// line cursors stand, the page's plane layout and mapping to the job's
// colorants, and the up-scaling factors.
#include "AArray.h"
#include "AColorant.h"

#include <cstdint>

class JobTrackRecord {
public:
    static constexpr uint32_t kUnmapped = 0xFFFFFF;   // no plane for a colorant, or no colorant for a plane

    // A record for a job of pageCount pages at the given resolutions (dpi):
    // cursors at -1, factors 1, between pages.
    JobTrackRecord(int pages, double xResolution, double yResolution);
    virtual ~JobTrackRecord();
    JobTrackRecord(const JobTrackRecord&) = delete;
    JobTrackRecord& operator=(const JobTrackRecord&) = delete;

    // A resolution in dpi rounded to a whole number (add 0.5, truncate); 0 when it is
    // not a number or no positive int32 holds it.
    static int RoundedResolution(double resolution);

    // Destroys the job's colorant objects, last first, and empties the list.
    void ClearColorants();

    int32_t pageCount;
    int32_t currentPage = -1;
    int32_t planeCount = -1;
    int32_t currentPlane = -1;       // image plane of the line cursor; -1 at page start
    int32_t planeCursor = 0;         // position of the line cursor in planeOrder
    int32_t sourceHeight = -1;
    int32_t sourceWidth = -1;
    int32_t outputWidth = -1;        // xFactor * sourceWidth
    int32_t outputHeight = 0;        // yFactor * sourceHeight
    int32_t sourceLine = -1;         // source line of the last output line
    int32_t currentLine = -1;        // output line of the line cursor
    int32_t firstLine = -1;          // BeginPlane is called at this output line
    int32_t lastLine = -1;           // EndPlane is called at this output line
    int32_t lineOrder = -1;          // 1: plane after plane; 2: each line through every plane
    int32_t maxBitsPerPixel = -1;
    int32_t colorantCount = -1;
    int32_t outputXResolution;
    int32_t outputYResolution;
    int32_t xFactor = 1;
    int32_t yFactor = 1;
    int32_t outputLineBytes = 0;     // one output line at maxBitsPerPixel
    int32_t sourceLineBytes = 0;     // one source line at maxBitsPerPixel
    double effectiveXResolution;
    double effectiveYResolution;
    AByteArray planeBits;            // bits per pixel of each image plane
    ADWordArray selectedColorants;   // colour mode colorant indexes chosen by SelectPlanes
    ADWordArray planeToColorant;     // per image plane: job colorant, or kUnmapped
    ADWordArray colorantToPlane;     // per job colorant: image plane, or kUnmapped
    ADWordArray planeOrder;          // image planes in job colorant order
    AArray<AColorant*> planes;       // the page image's colorants; not owned
    AArray<AColorant*> colorants;    // the job's colorants; owned
    int32_t betweenPages = 1;        // no page open
    int32_t pageLinesDone = 0;       // every line of the open page written
};
