#pragma once
// The printer-driver interface a host calls. Public header: a host includes
// it (with the record headers) and talks to the module only through the two
// exported functions and this virtual interface. The slot order is part of
// the calling contract; every slot keeps its position, also those that do
// nothing. Results are 32-bit: 1 success, 0 failure unless said otherwise.
#include "DriverOptions.h"
#include "HostRecords.h"
#include "PrinterSetup.h"

#include <cstdint>

class ABasePrinterDriver {
public:
    virtual ~ABasePrinterDriver() = default;                                                  // 0
    // Starts a job: reads the job header and opens the raster job; 0 (and port code -1) on failure.
    virtual int openJob(JobRequest* request, OutputPort* port) = 0;                           // 1
    // One bounded step of the job; 0 on failure. The job has ended when the port code is -1.
    virtual int processJobStep() = 0;                                                         // 2
    virtual int abortJob() { return 0; }                                                      // 3
    virtual int reserved4() { return 0; }                                                     // 4
    virtual int reserved5() { return 0; }                                                     // 5
    virtual int reserved6() { return 0; }                                                     // 6
    // Shows the options dialog (mode 1 defaults first, 3 as is) or resets (mode 2); 0 for other modes.
    virtual int editOptions(DriverOptions*, int /*mode*/, PrinterSetup*, void* /*parentWindow*/) { return 1; }  // 7
    virtual int reserved8() { return 0; }                                                     // 8
    virtual int readOptions(const char*, DriverOptions*, const PrinterSetup*) { return 0; }   // 9
    virtual int queryCode() { return -1; }                                                    // 10
    virtual int reserved11() { return 0; }                                                    // 11
    virtual float getDriverNumber() { return 1.0f; }                                          // 12
    virtual int reserved13() { return 0; }                                                    // 13
    virtual int reserved14() { return 1; }                                                    // 14
    // Copies the name of colour mode `index` into name (64 bytes); length + 1, or 0.
    virtual int getColorModeName(int index, int* flag, char* name, const PrinterSetup* setup) = 0;  // 15
    virtual int findColorMode(const char* name) = 0;                                          // 16: position or -1
    virtual int getColorantList(int colorMode, ColorantList* list) = 0;                       // 17
    virtual int getScreeningTable(ScreenTable*, const PrinterSetup*) { return 0; }            // 18
    virtual int getDefaultColorMode(char*, const PrinterSetup*) { return -1; }                // 19
    virtual int setOutputName(const char*, intptr_t) { return 0; }                            // 20
    virtual int reserved21() { return 3; }                                                    // 21
    virtual int reserved22() { return 3; }                                                    // 22
    virtual int getMediaList(const PrinterSetup*, MediaList*, int*) { return 0; }             // 23
    virtual int reserved24(const PrinterSetup*, const MediaEntry*, intptr_t, intptr_t) { return 0; }  // 24
    virtual int getMediaControl(const PrinterSetup*, const MediaEntry* /*media*/, const MediaEntry* /*printMode*/,
                                ResolutionList*, int* /*defaultPosition*/) { return 0; }      // 25
    virtual int reserved26(const PrinterSetup*, const MediaEntry*, intptr_t, intptr_t, intptr_t, intptr_t) {
        return 0;
    }                                                                                          // 26
    virtual int reserved27() { return 0; }                                                    // 27
    virtual int reserved28() { return 0; }                                                    // 28
    virtual void reservedList29(MediaList* list) { if (list) list->clear(); }                // 29
    virtual void reservedList30(MediaList* list) { if (list) list->clear(); }                // 30
    virtual void reservedList31(MediaList* list) { if (list) list->clear(); }                // 31
    virtual void reservedList32(MediaList* list) { if (list) list->clear(); }                // 32
    virtual int reserved33() { return 0; }                                                    // 33
    virtual int reserved34() { return 0; }                                                    // 34
    virtual int checkMedia(const PrinterSetup*, const MediaEntry*, intptr_t, int, int*) { return 0; }  // 35
    virtual int reserved36() { return 0; }                                                    // 36
    virtual int reserved37() { return 1; }                                                    // 37
    // 1 when the two 256-byte blocks differ (the KIP engine answers 0 always).
    virtual int optionsDiffer(const DriverOptions*, const DriverOptions*) { return 1; }       // 38
    virtual int reserved39() { return 0; }                                                    // 39
    virtual int reserved40() { return 0; }                                                    // 40
    virtual int validateOptions(DriverOptions*) { return 0; }                                 // 41
    virtual int reserved42(intptr_t, const int*) { return 1; }                                // 42
    virtual int reserved43() { return 0; }                                                    // 43
    virtual int reserved44() { return 0; }                                                    // 44
    virtual int reserved45(intptr_t, int, int*) { return 0; }                                 // 45
    virtual int reserved46() { return 0; }                                                    // 46
    virtual int reserved47() { return 0; }                                                    // 47
    virtual int reserved48() { return 0; }                                                    // 48
    virtual int getDitherTable(const PrinterSetup*, const char*, const PrinterSetup*, DitherTable*) { return 0; }  // 49
    virtual int reserved50(const PrinterSetup*, const MediaEntry*, intptr_t, intptr_t, intptr_t, intptr_t, intptr_t) {
        return 0;
    }                                                                                          // 50
    virtual int listColorants(int colorMode, ColorantList* list) { return getColorantList(colorMode, list); }  // 51
    virtual int reserved52() { return 0; }                                                    // 52
    // getDitherTable with the first, second, third and fifth values; the fourth is ignored.
    virtual int getDitherTableAlt(const PrinterSetup* locate, const char* manufacturer, const PrinterSetup* select,
                                  intptr_t /*ignored*/, DitherTable* table) {
        return getDitherTable(locate, manufacturer, select, table);
    }                                                                                          // 53
    virtual int reserved54() { return 0; }                                                    // 54
    virtual int setPrinterSetup(const PrinterSetup*) { return 0; }                            // 55
};

// A driver options page handed out by createDriverPage, for the host to place
// into its own settings window; the host destroys it through its virtual
// destructor. It edits the host's options block in place.
class ADriverPage {
public:
    virtual ~ADriverPage() = default;
    // The page's window (a QWidget*), for the host to embed.
    virtual void* GetWindow() = 0;
    // The page becomes the visible one: it shows the block again. False when it cannot.
    virtual bool OnSetActive() = 0;
    // The page is left: it writes its controls into the block; true lets the host move on.
    virtual bool OnKillActive() = 0;
    // The host's OK: the controls are written into the block.
    virtual void OnOK() = 0;
};

// The module's two exports (C linkage).
extern "C" {
// A new driver, or null on any failure. The host deletes it.
ABasePrinterDriver* createNewPrinterDriver();
// The options page over a host-owned options block and printer setup (both outlive the page);
// null when no window can be made (no Qt application and no display).
ADriverPage* createDriverPage(DriverOptions* options, PrinterSetup* setup);
}
