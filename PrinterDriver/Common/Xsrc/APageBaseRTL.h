#pragma once
// The page engine: opens the host's raster job at job start and, one bounded
// step per ProcessJobStep call, pulls each page plane by plane and line by
// line out of it and hands the lines to the concrete engine (WriteLine).
// It owns the call order, the mapping of image planes to the job's
// colorants, integer up-scaling to the device resolution and the line buffers.
//
// Failures inside a step raise DriverError: -3 raster file missing, -4
// BeginPlane refused, -5 WriteLine refused, -6 EndPlane refused, 0 records,
// buffers or raster data.
#include "ABaseRTL.h"
#include "JobTrackRecord.h"
#include "PageSettings.h"

#include <cstdint>
#include <memory>

class APageBaseRTL : public ABaseRTL {
public:
    static constexpr uint32_t kTimeSliceMs = 200;   // a step returns once more than this has passed
    static constexpr int kColorModeListString = 8002;

    APageBaseRTL();
    ~APageBaseRTL() override;

    // Opens the job's raster file and builds the per-job records; 1, or raises DriverError.
    int StartJob(DriverJob* job, int reserved, OutputPort* port, DriverOptions* options) override;
    int AbortJob() override { return 1; }
    // One step of the page state machine; 0 when a page cannot be prepared or
    // begun; 1 for the step that ends the job, whatever EndJob answered.
    int ProcessJobStep() override;
    // Plane and job percentages as a message line (plane after plane), else the bare percentage.
    int ReportProgress(int percent) override;
    // Copies item `index` of the built-in colour mode list; its length + 1, or 0 and an empty name.
    int GetColorModeName(int index, int* flag, char* name, PrinterSetup* setup) override;
    // Position of the whole name in the built-in list ignoring case, or -1.
    int FindColorMode(const char* name) override;
    // Copies the first built-in colour mode; 0.
    int GetDefaultColorMode(char* name, PrinterSetup* setup) override;
    int Reserved30() override { return 0; }
    // Keeps the name for the job (nothing happens before StartJob); 1.
    int SetOutputName(const char* name, intptr_t value) override;

    // Called once a page is prepared; 0 fails the step.
    virtual int BeginPage() { return 1; }
    // Maps planes, computes scaling and buffers for currentPage; 0 without page image, raises on memory.
    virtual int PreparePage();
    // Writes lines until done or the time slice ran out; 1, or raises -4/-5/-6/0.
    virtual int OutputPageLines();
    // Writes what the line loop owes at (plane, line): here the cursor's source
    // line, scaled when needed, handed to WriteLine. An engine that writes a
    // plane in pieces overrides it and may move the cursor on; sliceStart is
    // the tick at which the step began. Raises DriverError{-5} on a refused line.
    virtual void WritePlaneLines(int plane, int line, uint32_t sliceStart);
    virtual int EndPage() { return 1; }
    // Marks the job ended for the host (port code -1); 1.
    virtual int EndJob();
    // The page after `current` (-1: page 0, even in a job without pages), or -1 after the last.
    virtual int NextPage(int current);
    // Advances the line cursor; *plane becomes -1 when the page has no more lines.
    virtual int NextLine(int* plane, int* line);
    // Receives one output line of one image plane; 0 fails the step with -5.
    virtual int WriteLine(int plane, int line, const uint8_t* data);
    virtual int BeginPlane(int plane, int line);
    virtual int EndPlane(int plane, int line);
    // Chooses firstLine, lastLine and lineOrder for the prepared page; 1.
    virtual int SetPlaneOrder();
    // Chooses the colour mode's colorants, in job order, into selectedColorants; 1.
    virtual int SelectPlanes(int colorMode);
    // Non-zero when the plane printing as `colorant` is not output.
    virtual int SkipPlane(int colorant);

protected:
    // Milliseconds of the system tick count; the time base of the step slices.
    virtual uint32_t TickCount();
    // Line sourceLine of plane of image (width pixels per line), replicated by
    // xFactor: a pointer into one of the line buffers. Raises DriverError{0}
    // when the line cannot be read or scaled.
    const uint8_t* ReadOutputLine(AImage& image, int plane, int sourceLine, int width);

    std::unique_ptr<uint8_t[]> sourceLineBuffer;
    int32_t lineBuffersSize = 0;
    std::unique_ptr<uint8_t[]> scaledLineBuffer;
    std::unique_ptr<PageSettings> settings;
    std::unique_ptr<JobTrackRecord> track;

private:
    void openRasterJob(const JobRequest& request);
    void buildColorants();
    bool usesCustomColorMode() const;
    void mapPlanes(const std::vector<AColorant*>& imageColorants, bool custom);
    void applyDeviceResolution();
    void allocateLineBuffers();
    // Moves the cursor on from planeCursor past planes SkipPlane refuses; *plane -1 past the end.
    void skipPlanes(int* plane);
    // Moves planeCursor to the next position; false (cursor kept) past the end.
    bool nextPlanePosition();
};
