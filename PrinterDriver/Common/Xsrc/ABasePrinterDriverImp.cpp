#include "ABasePrinterDriverImp.h"

#include "AFM_File.h"
#include "AString.h"
#include "DriverError.h"
#include "JobHeader.h"
#include "RVLog.h"

#include <cstring>

namespace {
constexpr const char kLogSource[] = "PrinterDriver\\Common\\Xsrc\\ABasePrinterDriverImp";
constexpr int32_t kLastMedia = -100;
constexpr int32_t kSecondLastMedia = -101;
constexpr int32_t kLastMediaAlt = -102;

// Copies a header text into a job field of the same size, cut at the field's last byte.
template <size_t N>
void copyHeaderText(char (&field)[N], const char (&text)[N]) {
    std::strncpy(field, text, N);
    field[N - 1] = '\0';
}

void copyHeader(const JobHeaderLayout& header, DriverJob& job) {
    copyHeaderText(job.jobName, header.jobName);
    copyHeaderText(job.modelName, header.modelName);
    copyHeaderText(job.jobText3, header.jobText3);
    copyHeaderText(job.jobText4, header.jobText4);
    copyHeaderText(job.jobText1, header.jobText1);
    copyHeaderText(job.jobText2, header.jobText2);
    job.xResolution = header.xResolution;
    job.yResolution = header.yResolution;
    job.pageWidth = header.pageWidth;
    job.pageHeight = header.pageHeight;
    job.widthDpi = header.widthDpi;
    job.heightWord = header.heightWord;
    std::memcpy(&job.options, header.options, sizeof job.options);
    job.colorMode = header.colorMode;
}
}  // namespace

ABasePrinterDriverImp::ABasePrinterDriverImp(ABaseRTL* ownedEngine) : engine(ownedEngine) {}

ABasePrinterDriverImp::~ABasePrinterDriverImp() {
    // The engine may still point at the job record: it goes first.
    delete engine;
    delete job;
}

void ABasePrinterDriverImp::logException() { RV_LOG(kLogSource)("Exception"); }

template <typename Call>
int ABasePrinterDriverImp::forward(int noEngine, Call call) {
    if (!engine) return noEngine;
    try {
        return call(*engine);
    } catch (...) {
        logException();
        return noEngine;
    }
}

int32_t ABasePrinterDriverImp::resolvedMediaId(int32_t mediaId, const PrinterSetup* setup) {
    if (!engine || mediaId < kLastMediaAlt || mediaId > kLastMedia) return mediaId;
    MediaList list;
    int defaultMedia = 0;
    engine->GetMediaList(setup, &list, &defaultMedia);
    if (list.empty()) return mediaId;
    if (mediaId != kSecondLastMedia) return list.back().id;
    return list.size() >= 2 ? list[list.size() - 2].id : mediaId;
}

PrinterSetup ABasePrinterDriverImp::setupCopy(const PrinterSetup* setup) {
    if (!setup) return PrinterSetup();
    PrinterSetup copy(*setup);
    copy.mediaId = resolvedMediaId(copy.mediaId, setup);
    return copy;
}

MediaEntry ABasePrinterDriverImp::mediaCopy(const PrinterSetup* setup, const MediaEntry* media) {
    MediaEntry copy{};
    if (!media) {
        copy.id = -1;
        return copy;
    }
    copy = *media;
    copy.id = resolvedMediaId(copy.id, setup);
    return copy;
}

void ABasePrinterDriverImp::markJobEnded() {
    if (job && job->request) job->request->portCode = -1;
}

int ABasePrinterDriverImp::openJob(JobRequest* request, OutputPort* port) {
    delete job;
    job = nullptr;
    try {
        if (startJob(request, port)) return 1;
    } catch (...) {
        logException();
    }
    markJobEnded();
    return 0;
}

bool ABasePrinterDriverImp::startJob(JobRequest* request, OutputPort* port) {
    job = new DriverJob{};
    job->request = request;
    job->aborted = 0;
    if (!engine || !request || !port) return false;
    if (!readJobHeader()) return false;
    return engine->StartJob(job, 0, port, &job->options) != 0;
}

int ABasePrinterDriverImp::readJobHeader() {
    if (!job || !job->request) throw DriverError{-3};
    char path[AFM_File::kPathSize + 1];
    // The host's path field need not be terminated within its 512 bytes.
    ZuCopyField(path, sizeof path, job->request->jobFilePath);
    JobHeaderLayout header{};
    AFM_File file;
    if (!file.Open(path, AFM_File::kRead)) throw DriverError{-3};
    if (file.Read(&header, kJobHeaderSize, 0, AFM_File::kBegin) < kJobHeaderSize) throw DriverError{-3};
    copyHeader(header, *job);
    return 1;
}

int ABasePrinterDriverImp::processJobStep() {
    if (!engine || !job) return 0;
    try {
        if (engine->ProcessJobStep() != 0) return 1;
        // An aborted job ends with a refused step; that is not a failure.
        if (job->aborted) return 0;
    } catch (...) {
        // Logged below like a refused step.
    }
    logException();
    // A failed job has ended too: the host may watch the port code alone.
    markJobEnded();
    return 0;
}

int ABasePrinterDriverImp::abortJob() {
    if (!job || !engine) return 0;
    job->aborted = 1;
    int result = 1;
    try {
        engine->AbortJob();
    } catch (...) {
        logException();
        result = 0;
    }
    markJobEnded();
    return result;
}

int ABasePrinterDriverImp::setOutputName(const char* name, intptr_t value) {
    return forward(0, [&](ABaseRTL& e) {
        if (!e.SetOutputName(name, value)) markJobEnded();
        return 1;
    });
}

int ABasePrinterDriverImp::readOptions(const char* text, DriverOptions* block, const PrinterSetup* setup) {
    return forward(0, [&](ABaseRTL& e) {
        PrinterSetup copy = setupCopy(setup);
        return e.ReadOptions(text, block, &copy);
    });
}

int ABasePrinterDriverImp::getColorModeName(int index, int* flag, char* name, const PrinterSetup* setup) {
    return forward(0, [&](ABaseRTL& e) {
        PrinterSetup copy = setupCopy(setup);
        return e.GetColorModeName(index, flag, name, &copy);
    });
}

int ABasePrinterDriverImp::getScreeningTable(ScreenTable* table, const PrinterSetup* setup) {
    return forward(0, [&](ABaseRTL& e) {
        PrinterSetup copy = setupCopy(setup);
        return e.GetScreeningTable(table, &copy);
    });
}

int ABasePrinterDriverImp::getDefaultColorMode(char* name, const PrinterSetup* setup) {
    return forward(-1, [&](ABaseRTL& e) {
        PrinterSetup copy = setupCopy(setup);
        return e.GetDefaultColorMode(name, &copy);
    });
}

int ABasePrinterDriverImp::reserved24(const PrinterSetup* setup, const MediaEntry* media, intptr_t a, intptr_t b) {
    return forward(0, [&](ABaseRTL& e) {
        MediaEntry copy = mediaCopy(setup, media);
        return e.Reserved22(setup, &copy, a, b);
    });
}

int ABasePrinterDriverImp::getMediaControl(const PrinterSetup* setup, const MediaEntry* media,
                                           const MediaEntry* printMode, ResolutionList* list, int* defaultPosition) {
    return forward(0, [&](ABaseRTL& e) {
        MediaEntry copy = mediaCopy(setup, media);
        return e.GetMediaControl(setup, &copy, printMode, list, defaultPosition);
    });
}

int ABasePrinterDriverImp::reserved26(const PrinterSetup* setup, const MediaEntry* media, intptr_t a, intptr_t b,
                                      intptr_t c, intptr_t d) {
    return forward(0, [&](ABaseRTL& e) {
        MediaEntry copy = mediaCopy(setup, media);
        return e.Reserved25(setup, &copy, a, b, c, d);
    });
}

int ABasePrinterDriverImp::checkMedia(const PrinterSetup* setup, const MediaEntry* media, intptr_t value, int flag,
                                      int* result) {
    return forward(0, [&](ABaseRTL& e) {
        MediaEntry copy = mediaCopy(setup, media);
        return e.CheckMedia(setup, &copy, value, flag, result);
    });
}

int ABasePrinterDriverImp::optionsDiffer(const DriverOptions* a, const DriverOptions* b) {
    if (engine) return forward(0, [&](ABaseRTL& e) { return e.OptionsDiffer(a, b); });
    if (a == b) return 0;
    if (!a || !b) return 1;
    return std::memcmp(a, b, sizeof(DriverOptions)) != 0 ? 1 : 0;
}

int ABasePrinterDriverImp::reserved42(intptr_t /*value*/, const int* number) {
    if (number && *number < 0) return 1;
    return forward(1, [](ABaseRTL& e) { return e.Reserved38(); });
}

int ABasePrinterDriverImp::reserved50(const PrinterSetup* setup, const MediaEntry* media, intptr_t a, intptr_t b,
                                      intptr_t dropped, intptr_t c, intptr_t d) {
    // The host's entry goes on as it stands; the engine's slot takes it non-const.
    return forward(0, [&](ABaseRTL& e) {
        return e.ForwardToReserved25(setup, const_cast<MediaEntry*>(media), a, b, dropped, c, d);
    });
}

int ABasePrinterDriverImp::queryCode() { return getEngineCode(); }

int ABasePrinterDriverImp::findColorMode(const char* name) {
    return forward(-1, [&](ABaseRTL& e) { return e.FindColorMode(name); });
}

int ABasePrinterDriverImp::getColorantList(int colorMode, ColorantList* list) {
    return forward(0, [&](ABaseRTL& e) { return e.GetColorantList(colorMode, list); });
}

int ABasePrinterDriverImp::getMediaList(const PrinterSetup* setup, MediaList* list, int* defaultMedia) {
    return forward(0, [&](ABaseRTL& e) { return e.GetMediaList(setup, list, defaultMedia); });
}

int ABasePrinterDriverImp::validateOptions(DriverOptions* block) {
    return forward(0, [&](ABaseRTL& e) { return e.ValidateOptions(block); });
}

int ABasePrinterDriverImp::getDitherTable(const PrinterSetup* locate, const char* manufacturer,
                                          const PrinterSetup* select, DitherTable* table) {
    return forward(0, [&](ABaseRTL& e) { return e.GetDitherTable(locate, manufacturer, select, table); });
}

int ABasePrinterDriverImp::setPrinterSetup(const PrinterSetup* setup) {
    return forward(0, [&](ABaseRTL& e) { return e.SetPrinterSetup(setup); });
}

int ABasePrinterDriverImp::reserved45(intptr_t value, int flag, int* result) {
    return forward(0, [&](ABaseRTL& e) { return e.Reserved41(value, flag, result); });
}

int ABasePrinterDriverImp::getEngineCode() {
    return forward(-1, [](ABaseRTL& e) { return e.GetEngineCode(); });
}

// Plain pass-through slots: the engine's constant answers, the table's default without engine.
int ABasePrinterDriverImp::reserved6() { return forward(0, [](ABaseRTL& e) { return e.Reserved13(); }); }
int ABasePrinterDriverImp::reserved11() { return forward(0, [](ABaseRTL& e) { return e.Reserved30(); }); }
int ABasePrinterDriverImp::reserved13() { return forward(0, [](ABaseRTL& e) { return e.Reserved11(); }); }
int ABasePrinterDriverImp::reserved21() { return forward(3, [](ABaseRTL& e) { return e.Reserved19(); }); }
int ABasePrinterDriverImp::reserved22() { return forward(3, [](ABaseRTL& e) { return e.Reserved20(); }); }
int ABasePrinterDriverImp::reserved33() { return forward(0, [](ABaseRTL& e) { return e.Reserved27(); }); }
int ABasePrinterDriverImp::reserved34() { return forward(0, [](ABaseRTL& e) { return e.Reserved28(); }); }
int ABasePrinterDriverImp::reserved36() { return forward(0, [](ABaseRTL& e) { return e.Reserved32(); }); }
int ABasePrinterDriverImp::reserved37() { return forward(1, [](ABaseRTL& e) { return e.Reserved33(); }); }
int ABasePrinterDriverImp::reserved39() { return forward(0, [](ABaseRTL& e) { return e.Reserved35(); }); }
int ABasePrinterDriverImp::reserved40() { return forward(0, [](ABaseRTL& e) { return e.Reserved36(); }); }
int ABasePrinterDriverImp::reserved43() { return forward(0, [](ABaseRTL& e) { return e.Reserved39(); }); }
int ABasePrinterDriverImp::reserved44() { return forward(0, [](ABaseRTL& e) { return e.Reserved40(); }); }
int ABasePrinterDriverImp::reserved46() { return forward(0, [](ABaseRTL& e) { return e.Reserved42(); }); }
int ABasePrinterDriverImp::reserved47() { return forward(0, [](ABaseRTL& e) { return e.Reserved43(); }); }
int ABasePrinterDriverImp::reserved48() { return forward(0, [](ABaseRTL& e) { return e.Reserved44(); }); }
int ABasePrinterDriverImp::reserved54() { return forward(0, [](ABaseRTL& e) { return e.Reserved47(); }); }
int ABasePrinterDriverImp::reserved56() { return forward(0, [](ABaseRTL& e) { return e.Reserved26(); }); }
