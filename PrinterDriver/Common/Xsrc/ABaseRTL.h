#pragma once
// The output engine base of the driver family: the virtual interface the
// driver front forwards to, and the services every engine shares (buffered
// port writes, status and progress, options text, pixel replication,
// default halftone tables, the printer setup copy).
//
// Slot order is part of the contract with the driver front; reserved slots
// answer the constants given in their bodies. Failures of port writes raise
// DriverError (caught by the driver front).
#include "DriverJob.h"
#include "DriverOptions.h"
#include "HostRecords.h"
#include "PrinterSetup.h"

#include <cstdint>
#include <span>

class ZUJob;
class AImage;

class ABaseRTL {
public:
    struct ScreenDefault {   // one default screen: colour and angle
        const char* color;
        float angle;
    };

    static constexpr uint32_t kWriteBufferSize = 1048576;
    static constexpr uint32_t kWriteBufferLimit = 1048544;   // flush before passing this

    ABaseRTL();
    virtual ~ABaseRTL();
    ABaseRTL(const ABaseRTL&) = delete;
    ABaseRTL& operator=(const ABaseRTL&) = delete;

    virtual int StartJob(DriverJob* job, int reserved, OutputPort* port, DriverOptions* options) = 0;
    virtual int AbortJob() = 0;
    virtual int ProcessJobStep() = 0;
    virtual int GetDeviceResolution(int* x, int* y) = 0;
    // Replicates each pixel of a packed line `factor` times; advances *bitPos by bits * factor.
    virtual int ScaleLine(int bitsPerPixel, int bitCount, const uint8_t* src, int factor, int* bitPos, uint8_t* dst);
    virtual int ReportProgress(int percent);
    // Sends bytes to the host port through the 1 MiB buffer; returns count; raises DriverError on a failed write.
    virtual int WriteNdata(const void* data, int count, int flush);
    virtual void SetStatus(int kind, const char* text);
    virtual int ReadOtherOptions(const char* text, DriverOptions* block, PrinterSetup* setup);
    // Reads the "DriverOptionBinary" text form into bytes 0..199 of the block; always 1.
    virtual int ReadOptions(const char* text, DriverOptions* block, PrinterSetup* setup);
    virtual int Reserved11() { return 1; }
    virtual int GetEngineCode() = 0;
    virtual int Reserved13() { return 1; }
    virtual int GetColorModeName(int index, int* flag, char* name, PrinterSetup* setup) = 0;
    virtual int GetColorantList(int colorMode, ColorantList* list) = 0;
    virtual int FindColorMode(const char* name) = 0;
    virtual int GetDefaultColorMode(char* name, PrinterSetup* setup) = 0;
    virtual int GetScreeningTable(ScreenTable* table, PrinterSetup* setup);
    virtual int Reserved19() { return 0; }
    virtual int Reserved20() { return 0; }
    virtual int GetMediaList(const PrinterSetup* setup, MediaList* list, int* defaultMedia);
    virtual int Reserved22(const PrinterSetup*, MediaEntry*, intptr_t, intptr_t) { return 0; }
    virtual int GetMediaControl(const PrinterSetup* setup, const MediaEntry* media, const MediaEntry* printMode,
                                ResolutionList* list, int* defaultPosition);
    virtual int SetPaperInfo(PaperInfo* info, double width, double height, uint32_t value, const char* text,
                             const char* secondText);
    virtual int Reserved25(const PrinterSetup*, MediaEntry*, intptr_t, intptr_t, intptr_t, intptr_t) { return 0; }
    virtual int Reserved26() { return 0; }
    virtual int Reserved27() { return 0; }
    virtual int Reserved28() { return 0; }
    virtual int CheckMedia(const PrinterSetup*, MediaEntry*, intptr_t, int, int*) { return 1; }
    virtual int Reserved30() { return 1; }
    virtual int SetOutputName(const char* name, intptr_t value);
    virtual int Reserved32() { return 0; }
    virtual int Reserved33() { return 1; }
    virtual int OptionsDiffer(const DriverOptions*, const DriverOptions*) { return 0; }
    virtual int Reserved35() { return 0; }
    virtual int Reserved36() { return 0; }
    virtual int ValidateOptions(DriverOptions*) { return 1; }
    virtual int Reserved38() { return 1; }
    virtual int Reserved39() { return 1; }
    virtual int Reserved40() { return 1; }
    virtual int Reserved41(intptr_t, int, int*) { return 1; }
    virtual int Reserved42() { return 0; }
    virtual int Reserved43() { return 0; }
    virtual int Reserved44() { return 0; }
    // Fills default dither weights, then the file's; 1 when a dither parameter file applied.
    virtual int GetDitherTable(const PrinterSetup* locateSetup, const char* manufacturer,
                               const PrinterSetup* selectSetup, DitherTable* table);
    virtual int ForwardToReserved25(const PrinterSetup* setup, MediaEntry* media, intptr_t a, intptr_t b,
                                    intptr_t dropped, intptr_t c, intptr_t d);
    virtual int Reserved47() { return 0; }
    // Keeps a copy of the setup (the old owned string freed); null leaves it; always 1.
    virtual int SetPrinterSetup(const PrinterSetup* setup);

    const PrinterSetup& printerSetup() const { return setup; }
    DriverJob* job() const { return driverJob; }

protected:
    // Replaces the table's entries by one screen per default, all with this shape and frequency.
    static void FillScreens(ScreenTable& table, std::span<const ScreenDefault> screens, const char* shape,
                            float frequency);

    ZUJob* hostJob = nullptr;          // owned by the page engine
    AImage* pageImage = nullptr;       // not owned
    OutputPort* outputPort = nullptr;  // not owned
    DriverJob* driverJob = nullptr;    // not owned
    uint8_t* writeBuffer = nullptr;    // 1 MiB, allocated by the first buffered write
    uint32_t bufferedBytes = 0;
    PrinterSetup setup;

private:
    // Sends and empties the buffer; logs and raises DriverError{0} when the port refuses.
    void sendBuffer();
    // True when the port took exactly `count` bytes.
    bool sendToPort(const void* data, int count);
};
