#include "APageBaseRTL.h"

#include "DriverError.h"
#include "ZuDrvUtl.h"

#include "AXMLTree.h"
#include "Platform/TickCount.h"
#include "RVLog.h"
#include "ZUJob.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <vector>

#define APAGEBASERTL_LOG RV_LOG("PrinterDriver\\Common\\Xsrc\\APageBaseRTL")

namespace {

constexpr int kListTextSize = 1024;
constexpr int kColorModeNameSize = 64;
constexpr int kProgressTextSize = 256;
constexpr int kMaxBitsPerPixel = 16;
// Caps one output line so that the buffer size (2 lines + 2048) stays a positive int32.
constexpr long long kMaxLineBytes = (0x7FFFFFFFLL - 2048) / 2;

bool isFile(const char* path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// The built-in colour mode list text; empty when the string table lacks it.
void loadColorModeList(char (&list)[kListTextSize]) {
    list[0] = '\0';
    DrvLoadString(APageBaseRTL::kColorModeListString, list, kListTextSize);
}

}  // namespace

APageBaseRTL::APageBaseRTL() = default;

APageBaseRTL::~APageBaseRTL() {
    delete hostJob;
    hostJob = nullptr;
}

int APageBaseRTL::StartJob(DriverJob* job, int, OutputPort* port, DriverOptions*) {
    if (!job || !job->request) throw DriverError{0};
    // Nothing of the previous job may be stepped once this one has begun.
    track.reset();
    settings.reset();
    pageImage = nullptr;
    openRasterJob(*job->request);
    job->pageCount = hostJob->GetPageCount();
    driverJob = job;
    outputPort = port;
    pageImage = nullptr;

    settings.reset(new (std::nothrow) PageSettings(*job, *job->request));
    if (!settings) throw DriverError{0};
    track.reset(new (std::nothrow) JobTrackRecord(job->pageCount, job->xResolution, job->yResolution));
    if (!track) throw DriverError{0};
    buildColorants();
    return 1;
}

void APageBaseRTL::openRasterJob(const JobRequest& request) {
    char jobPath[sizeof request.jobFilePath + 1] = {};
    std::memcpy(jobPath, request.jobFilePath, sizeof request.jobFilePath);
    AString rasterPath = ZUJob::GetFileName(2, jobPath);
    if (!isFile(rasterPath)) rasterPath = ZUJob::GetFileName(0, jobPath);
    if (!isFile(rasterPath)) throw DriverError{-3};

    delete hostJob;
    hostJob = new (std::nothrow) ZUJob;
    if (!hostJob) throw DriverError{0};
    if (!hostJob->Load(rasterPath) || !hostJob->OpenData(0)) {
        APAGEBASERTL_LOG("Cannot read the raster file %s", rasterPath.c_str());
        throw DriverError{0};
    }
}

void APageBaseRTL::buildColorants() {
    std::vector<ColorantEntry> entries(kColorantCapacity);
    ColorantList list{0, entries.data(), kColorantCapacity};
    if (!GetColorantList(settings->colorMode, &list)) list.count = 0;
    list.count = std::clamp(list.count, 0, kColorantCapacity);
    track->colorantCount = list.count;

    track->selectedColorants.RemoveAll();
    SelectPlanes(settings->colorMode);

    // A selection shorter than the list, or naming entries it lacks, would
    // leave colorants without objects: the count follows what was built.
    const int selected = std::min(track->colorantCount, track->selectedColorants.GetSize());
    for (int i = 0; i < selected; ++i) {
        const uint32_t index = track->selectedColorants[i];
        if (index >= static_cast<uint32_t>(list.count)) continue;
        const ColorantEntry& entry = entries[index];
        const AString displayName(entry.displayName, static_cast<int>(sizeof entry.displayName));
        const AString internalName(entry.name, static_cast<int>(sizeof entry.name));
        track->colorants.Add(new AColorant(displayName, internalName, static_cast<int>(entry.bitsPerPixel)));
    }
    track->colorantCount = track->colorants.GetSize();
}

int APageBaseRTL::ProcessJobStep() {
    if (!track || !hostJob) return 0;
    JobTrackRecord& t = *track;
    if (t.betweenPages) {
        const int next = NextPage(t.currentPage);
        if (next == -1) {
            // The job has ended either way; what EndJob made of its delivery is its own report.
            EndJob();
            return 1;
        }
        t.currentPage = next;
        if (!PreparePage() || !BeginPage()) return 0;
        t.betweenPages = 0;
        t.pageLinesDone = 0;
        t.sourceLine = -1;
        t.currentPlane = -1;
        return 1;
    }
    if (t.pageLinesDone) {
        EndPage();
        hostJob->Flush();
        t.betweenPages = 1;
        t.pageLinesDone = 0;
        sourceLineBuffer.reset();
        return 1;
    }
    return OutputPageLines();
}

int APageBaseRTL::NextPage(int current) {
    // The first page is asked for even in a job without pages: PreparePage then
    // finds no image and the job fails instead of ending as an empty one.
    if (current < 0) return 0;
    if (!track) return -1;
    const int next = current + 1;
    return next < track->pageCount ? next : -1;
}

int APageBaseRTL::PreparePage() {
    JobTrackRecord& t = *track;
    AImage* image = hostJob->GetImage(t.currentPage);
    if (!image) return 0;
    pageImage = image;
    const std::vector<AColorant*>& imageColorants = image->GetColorants();
    t.planeCount = static_cast<int>(imageColorants.size());
    t.sourceWidth = image->GetWidth();
    t.sourceHeight = image->GetHeight();
    if (t.sourceWidth < 0 || t.sourceHeight < 0) {
        APAGEBASERTL_LOG("Page %d has the size %d x %d", t.currentPage, t.sourceWidth, t.sourceHeight);
        throw DriverError{0};
    }

    mapPlanes(imageColorants, usesCustomColorMode());
    applyDeviceResolution();
    allocateLineBuffers();
    SetPlaneOrder();
    return 1;
}

bool APageBaseRTL::usesCustomColorMode() const {
    const char* xml = driverJob && driverJob->request ? driverJob->request->customXml : nullptr;
    if (!xml || std::strncmp(xml, "<?xm", 4) != 0) return false;
    AXMLTree tree("");
    AXMLTreeNode root, node;
    return tree.loadXML(xml) && tree.getRootNode(root) && tree.getChild("CustomColorMode", root, node);
}

void APageBaseRTL::mapPlanes(const std::vector<AColorant*>& imageColorants, bool custom) {
    JobTrackRecord& t = *track;
    t.planes.RemoveAll();
    t.planeToColorant.RemoveAll();
    t.planeToColorant.SetSize(t.planeCount);
    t.colorantToPlane.RemoveAll();
    t.colorantToPlane.SetSize(t.colorantCount);
    for (int p = 0; p < t.planeCount; ++p) t.planeToColorant[p] = JobTrackRecord::kUnmapped;
    for (int k = 0; k < t.colorantCount; ++k) t.colorantToPlane[k] = JobTrackRecord::kUnmapped;
    t.planeBits.RemoveAll();

    int maxBits = 0;
    for (int p = 0; p < t.planeCount; ++p) {
        AColorant* plane = imageColorants[static_cast<size_t>(p)];
        t.planes.Add(plane);
        const int bits = plane->GetDepth() & 0xFF;
        t.planeBits.Add(static_cast<uint8_t>(bits));
        maxBits = std::max(maxBits, bits);
        if (custom) {
            // Custom colour modes print plane p as colorant p; extra planes have no colorant.
            if (p < t.colorantCount) t.planeToColorant[p] = t.colorantToPlane[p] = static_cast<uint32_t>(p);
            continue;
        }
        for (int k = 0; k < t.colorantCount; ++k) {
            if (plane->GetInternalName().CompareNoCase(t.colorants[k]->GetInternalName()) == 0) {
                t.planeToColorant[p] = static_cast<uint32_t>(k);
                t.colorantToPlane[k] = static_cast<uint32_t>(p);
                break;
            }
        }
    }
    if (maxBits > kMaxBitsPerPixel) {
        APAGEBASERTL_LOG("Page %d has %d bits per pixel", t.currentPage, maxBits);
        throw DriverError{0};
    }
    t.maxBitsPerPixel = maxBits;
    t.sourceLineBytes = static_cast<int32_t>((static_cast<long long>(maxBits) * t.sourceWidth + 7) / 8);

    t.planeOrder.RemoveAll();
    for (int k = 0; k < t.colorantCount; ++k)
        if (t.colorantToPlane[k] != JobTrackRecord::kUnmapped) t.planeOrder.Add(t.colorantToPlane[k]);
}

void APageBaseRTL::applyDeviceResolution() {
    JobTrackRecord& t = *track;
    int deviceX = 0, deviceY = 0;
    GetDeviceResolution(&deviceX, &deviceY);
    const int jobX = JobTrackRecord::RoundedResolution(settings->xResolution);
    const int jobY = JobTrackRecord::RoundedResolution(settings->yResolution);
    if (jobX > 0 && deviceX > jobX) {
        t.xFactor = deviceX / jobX;
        t.outputXResolution = deviceX;
        t.effectiveXResolution = t.xFactor * settings->xResolution;
    }
    if (jobY > 0 && deviceY > jobY) {
        t.yFactor = deviceY / jobY;
        t.outputYResolution = deviceY;
        t.effectiveYResolution = t.yFactor * settings->yResolution;
    }
    const long long width = static_cast<long long>(t.xFactor) * t.sourceWidth;
    const long long height = static_cast<long long>(t.yFactor) * t.sourceHeight;
    const long long lineBytes = (t.maxBitsPerPixel * width + 7) / 8;
    if (width > 0x7FFFFFFF || height > 0x7FFFFFFF || lineBytes > kMaxLineBytes) {
        APAGEBASERTL_LOG("Page %d is too large to output", t.currentPage);
        throw DriverError{0};
    }
    t.outputWidth = static_cast<int32_t>(width);
    t.outputHeight = static_cast<int32_t>(height);
    t.outputLineBytes = static_cast<int32_t>(lineBytes);
}

void APageBaseRTL::allocateLineBuffers() {
    lineBuffersSize = 2 * track->outputLineBytes + 2048;
    sourceLineBuffer.reset();
    scaledLineBuffer.reset();
    sourceLineBuffer.reset(new (std::nothrow) uint8_t[static_cast<size_t>(lineBuffersSize)]());
    scaledLineBuffer.reset(new (std::nothrow) uint8_t[static_cast<size_t>(lineBuffersSize)]());
    if (!sourceLineBuffer || !scaledLineBuffer) {
        APAGEBASERTL_LOG("Cannot allocate line buffers of %d bytes", lineBuffersSize);
        throw DriverError{0};
    }
}

int APageBaseRTL::SetPlaneOrder() {
    track->firstLine = 0;
    track->lastLine = track->outputHeight - 1;
    track->lineOrder = 1;
    return 1;
}

int APageBaseRTL::SelectPlanes(int) {
    for (int k = 0; k < track->colorantCount; ++k) track->selectedColorants.Add(static_cast<uint32_t>(k));
    return 1;
}

int APageBaseRTL::SkipPlane(int) { return 0; }

bool APageBaseRTL::nextPlanePosition() {
    if (track->planeCursor + 1 >= track->planeOrder.GetSize()) return false;
    ++track->planeCursor;
    return true;
}

void APageBaseRTL::skipPlanes(int* plane) {
    JobTrackRecord& t = *track;
    while (*plane != -1 && SkipPlane(static_cast<int>(t.planeToColorant[*plane]))) {
        *plane = nextPlanePosition() ? static_cast<int>(t.planeOrder[t.planeCursor]) : -1;
    }
}

int APageBaseRTL::NextLine(int* plane, int* line) {
    JobTrackRecord& t = *track;
    if (*plane == -1) {
        t.planeCursor = 0;
        *line = 0;
        t.currentLine = 0;
        const bool empty = t.planeOrder.GetSize() == 0 || t.outputHeight <= 0;
        *plane = empty ? -1 : static_cast<int>(t.planeOrder[0]);
        skipPlanes(plane);
        return 1;
    }
    if (t.lineOrder == 1) {
        if (++*line < t.outputHeight) return 1;
        if (!nextPlanePosition()) {
            *plane = -1;
            return 1;
        }
        *plane = static_cast<int>(t.planeOrder[t.planeCursor]);
        skipPlanes(plane);
        *line = 0;
        return 1;
    }
    if (t.lineOrder == 2) {
        if (!nextPlanePosition()) {
            t.planeCursor = 0;
            ++*line;
        }
        *plane = *line < t.outputHeight ? static_cast<int>(t.planeOrder[t.planeCursor]) : -1;
    }
    return 1;
}

int APageBaseRTL::OutputPageLines() {
    JobTrackRecord& t = *track;
    const uint32_t start = TickCount();
    int plane = t.currentPlane;
    int line = t.currentLine;
    NextLine(&plane, &line);
    while (plane != -1) {
        if (line == t.firstLine && !BeginPlane(plane, line)) throw DriverError{-4};
        t.currentPlane = plane;
        t.currentLine = line;
        t.sourceLine = line / t.yFactor;
        WritePlaneLines(plane, line, start);
        if (line == t.lastLine && !EndPlane(plane, line)) throw DriverError{-6};
        // Unsigned difference: correct across a wrap of the tick count.
        if (TickCount() - start > kTimeSliceMs) {
            ReportProgress(t.outputHeight > 0 ? static_cast<int>(t.currentLine * 100LL / t.outputHeight) : 100);
            return 1;
        }
        // Go on from the cursor, which a writer of whole planes has moved on.
        plane = t.currentPlane;
        line = t.currentLine;
        NextLine(&plane, &line);
    }
    t.betweenPages = 0;
    t.pageLinesDone = 1;
    return 1;
}

void APageBaseRTL::WritePlaneLines(int plane, int line, uint32_t /*sliceStart*/) {
    const uint8_t* data = ReadOutputLine(*pageImage, plane, track->sourceLine, track->sourceWidth);
    if (!WriteLine(plane, line, data)) throw DriverError{-5};
}

const uint8_t* APageBaseRTL::ReadOutputLine(AImage& image, int plane, int sourceLine, int width) {
    JobTrackRecord& t = *track;
    if (!image.ReadLine(plane, sourceLine, sourceLineBuffer.get(), static_cast<size_t>(lineBuffersSize))) {
        APAGEBASERTL_LOG("Cannot read line %d of plane %d of page %d", sourceLine, plane, t.currentPage);
        throw DriverError{0};
    }
    if (t.xFactor == 1) return sourceLineBuffer.get();
    const int bits = t.planeBits[plane];
    int bitPos = 0;
    if (!ScaleLine(bits, width * bits, sourceLineBuffer.get(), t.xFactor, &bitPos, scaledLineBuffer.get())) {
        APAGEBASERTL_LOG("Cannot scale plane %d of %d bits per pixel", plane, bits);
        throw DriverError{0};
    }
    return scaledLineBuffer.get();
}

int APageBaseRTL::WriteLine(int, int, const uint8_t*) { return 1; }
int APageBaseRTL::BeginPlane(int, int) { return 1; }
int APageBaseRTL::EndPlane(int, int) { return 1; }

int APageBaseRTL::EndJob() {
    if (driverJob && driverJob->request) driverJob->request->portCode = -1;
    return 1;
}

uint32_t APageBaseRTL::TickCount() { return PlatformTickCount(); }

int APageBaseRTL::ReportProgress(int percent) {
    if (!track || track->lineOrder == 2) return ABaseRTL::ReportProgress(percent);
    const JobTrackRecord& t = *track;
    percent = std::clamp(percent, 0, 100);
    const int planes = std::max(t.planeCount, 1);
    const int overall = t.planeCursor * 100 / planes + percent / planes;
    const bool hasPlane = t.currentPlane >= 0 && t.currentPlane < t.planes.GetSize();
    const char* name = hasPlane ? t.planes[t.currentPlane]->GetName().c_str() : "";
    char text[kProgressTextSize];
    std::snprintf(text, sizeof text, "%s  %3d%% %3d%%", name, percent, overall);
    SetStatus(1, text);
    return 1;
}

int APageBaseRTL::GetColorModeName(int index, int* flag, char* name, PrinterSetup*) {
    if (flag) *flag = 1;
    if (!name) return 0;
    char list[kListTextSize];
    loadColorModeList(list);
    return DrvGetListItem(index, list, name, kColorModeNameSize);
}

int APageBaseRTL::FindColorMode(const char* name) {
    if (!name) return -1;
    char list[kListTextSize];
    loadColorModeList(list);
    char item[kColorModeNameSize];
    for (int i = 0; DrvGetListItem(i, list, item, sizeof item) > 0; ++i)
        if (DrvStrICmp(item, name) == 0) return i;
    return -1;
}

int APageBaseRTL::GetDefaultColorMode(char* name, PrinterSetup*) {
    if (!name) return 0;
    char list[kListTextSize];
    loadColorModeList(list);
    DrvGetListItem(0, list, name, kColorModeNameSize);
    return 0;
}

int APageBaseRTL::SetOutputName(const char* name, intptr_t) {
    if (settings) settings->outputName = name ? name : "";
    return 1;
}
