#pragma once
// The forwarding driver: hands almost every operation of the host interface
// to its output engine, owns the per-job record, reads the job header,
// resolves the host's special media ids on private copies of host records
// and turns engine failures into results the host can read. Nothing thrown
// inside ever reaches the host.
#include "ABasePrinterDriver.h"
#include "ABaseRTL.h"
#include "DriverJob.h"

class ABasePrinterDriverImp : public ABasePrinterDriver {
public:
    // Takes ownership of engine (null: a driver without engine, which answers defaults).
    explicit ABasePrinterDriverImp(ABaseRTL* ownedEngine = nullptr);
    ~ABasePrinterDriverImp() override;
    ABasePrinterDriverImp(const ABasePrinterDriverImp&) = delete;
    ABasePrinterDriverImp& operator=(const ABasePrinterDriverImp&) = delete;

    int openJob(JobRequest* request, OutputPort* port) override;
    int processJobStep() override;
    // Marks the job aborted, lets the engine cancel, sets port code -1; 0 without job or engine.
    int abortJob() override;
    int reserved6() override;
    int readOptions(const char* text, DriverOptions* block, const PrinterSetup* setup) override;
    int queryCode() override;
    int reserved11() override;
    int reserved13() override;
    int getColorModeName(int index, int* flag, char* name, const PrinterSetup* setup) override;
    int findColorMode(const char* name) override;
    int getColorantList(int colorMode, ColorantList* list) override;
    int getScreeningTable(ScreenTable* table, const PrinterSetup* setup) override;
    int getDefaultColorMode(char* name, const PrinterSetup* setup) override;
    // Engine SetOutputName; a refused name sets the port code to -1 and still answers 1.
    int setOutputName(const char* name, intptr_t value) override;
    int reserved21() override;
    int reserved22() override;
    int getMediaList(const PrinterSetup* setup, MediaList* list, int* defaultMedia) override;
    int reserved24(const PrinterSetup* setup, const MediaEntry* media, intptr_t a, intptr_t b) override;
    int getMediaControl(const PrinterSetup* setup, const MediaEntry* media, const MediaEntry* printMode,
                        ResolutionList* list, int* defaultPosition) override;
    int reserved26(const PrinterSetup* setup, const MediaEntry* media, intptr_t a, intptr_t b, intptr_t c,
                   intptr_t d) override;
    int reserved33() override;
    int reserved34() override;
    int checkMedia(const PrinterSetup* setup, const MediaEntry* media, intptr_t value, int flag, int* result) override;
    int reserved36() override;
    int reserved37() override;
    // Without engine: 1 when the two 256-byte blocks differ in any byte.
    int optionsDiffer(const DriverOptions* a, const DriverOptions* b) override;
    int reserved39() override;
    int reserved40() override;
    int validateOptions(DriverOptions* block) override;
    int reserved42(intptr_t value, const int* number) override;
    int reserved43() override;
    int reserved44() override;
    int reserved45(intptr_t value, int flag, int* result) override;
    int reserved46() override;
    int reserved47() override;
    int reserved48() override;
    int getDitherTable(const PrinterSetup* locate, const char* manufacturer, const PrinterSetup* select,
                       DitherTable* table) override;
    int reserved50(const PrinterSetup* setup, const MediaEntry* media, intptr_t a, intptr_t b, intptr_t dropped,
                   intptr_t c, intptr_t d) override;
    int reserved54() override;
    int setPrinterSetup(const PrinterSetup* setup) override;
    virtual int reserved56();                                                                 // 56
    // The engine's code (12 for KIP), -1 without engine.
    virtual int getEngineCode();                                                              // 57
    // Reads the job header of the request's job file into job; raises DriverError when the
    // file cannot be opened or is shorter than the header.
    virtual int readJobHeader();                                                              // 58

    DriverJob* currentJob() const { return job; }

protected:
    // The id a special media id (-102, -100: last entry, -101: the one before) stands for in
    // the engine's media list for setup; other ids, and any id when that is not found, as given.
    int32_t resolvedMediaId(int32_t mediaId, const PrinterSetup* setup);
    // Logs an exception caught at the host boundary.
    static void logException();

    DriverJob* job = nullptr;     // owned; null until the first openJob
    ABaseRTL* engine = nullptr;   // owned; null for a driver without engine

private:
    // Runs call(engine); noEngine without engine, and (logged) when the call throws.
    template <typename Call>
    int forward(int noEngine, Call call);
    // A copy of the caller's setup with its media id resolved (all zero for null).
    PrinterSetup setupCopy(const PrinterSetup* setup);
    // A copy of the caller's entry with its id resolved (id -1, empty names for null).
    MediaEntry mediaCopy(const PrinterSetup* setup, const MediaEntry* media);
    // The steps of openJob that may fail; false or an exception means failure.
    bool startJob(JobRequest* request, OutputPort* port);
    // Tells the host that the job has ended (port code -1), when there is a request.
    void markJobEnded();
};
