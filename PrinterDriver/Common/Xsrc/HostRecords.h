#pragma once
// Records exchanged with the host. The host lays them out with 4-byte
// packing, little-endian; their layouts are part of the contract and are
// pinned by static_asserts below.
#include <cstddef>
#include <cstdint>
#include <vector>

#pragma pack(push, 4)

// The host's job request, handed to openJob and kept for the whole job.
struct JobRequest {
    char jobFilePath[512];          // 0: job file; its header is read from here
    char thumbnailPath[256];        // 512
    uint8_t reserved768[1288];
    int32_t requestWord;            // 2056
    int32_t portCode;               // 2060: -1 once the job has ended
    char statusText[256];           // 2064
    int32_t statusKind;             // 2320: 1 message line, 3 bare percentage
    uint8_t reserved2324[24];
    int32_t tilingKind;             // 2348: tiles from 3 on
    uint8_t reserved2352[8];
    uint64_t portContext;           // 2360: handed to the output port with every write
    int32_t mediaId;                // 2368
    int32_t printModeId;            // 2372
    int32_t resolutionId;           // 2376
    uint8_t reserved2380[4];
    int32_t tileCount;              // 2384
    uint8_t reserved2388[4];
    const int32_t* tilePageNumbers; // 2392
    const int32_t* tileStripIDs;    // 2400
    const int32_t* tileIDs;         // 2408
    uint8_t reserved2416[24];
    const char* customXml;          // 2440: XML text or null
};
static_assert(offsetof(JobRequest, jobFilePath) == 0);
static_assert(offsetof(JobRequest, thumbnailPath) == 512);
static_assert(offsetof(JobRequest, requestWord) == 2056);
static_assert(offsetof(JobRequest, portCode) == 2060);
static_assert(offsetof(JobRequest, statusText) == 2064);
static_assert(offsetof(JobRequest, statusKind) == 2320);
static_assert(offsetof(JobRequest, tilingKind) == 2348);
static_assert(offsetof(JobRequest, portContext) == 2360);
static_assert(offsetof(JobRequest, mediaId) == 2368);
static_assert(offsetof(JobRequest, printModeId) == 2372);
static_assert(offsetof(JobRequest, resolutionId) == 2376);
static_assert(offsetof(JobRequest, tileCount) == 2384);
static_assert(offsetof(JobRequest, tilePageNumbers) == 2392);
static_assert(offsetof(JobRequest, tileStripIDs) == 2400);
static_assert(offsetof(JobRequest, tileIDs) == 2408);
static_assert(offsetof(JobRequest, customXml) == 2440);
static_assert(sizeof(JobRequest) == 2448);

// One medium (or print mode) of a list the driver fills for the host.
struct MediaEntry {
    int32_t id;                 // 0
    char displayName[256];      // 4
    char internalName[256];     // 260
};
static_assert(offsetof(MediaEntry, displayName) == 4);
static_assert(offsetof(MediaEntry, internalName) == 260);
static_assert(sizeof(MediaEntry) == 516);
using MediaList = std::vector<MediaEntry>;

// One resolution of the list the driver fills for the host.
struct ResolutionEntry {
    double xResolution;         // 0
    double yResolution;         // 8
    uint32_t id;                // 16
    char displayName[256];      // 20
};
static_assert(offsetof(ResolutionEntry, yResolution) == 8);
static_assert(offsetof(ResolutionEntry, id) == 16);
static_assert(offsetof(ResolutionEntry, displayName) == 20);
static_assert(sizeof(ResolutionEntry) == 276);
using ResolutionList = std::vector<ResolutionEntry>;

// One colorant of a colour mode.
struct ColorantEntry {
    char name[64];              // internal name
    char displayName[64];
    uint32_t spot;              // 1 for a spot colour
    uint32_t one;               // always 1
    uint32_t bitsPerPixel;
    uint32_t color;             // 0x00BBGGRR display colour
};
static_assert(offsetof(ColorantEntry, displayName) == 64);
static_assert(offsetof(ColorantEntry, spot) == 128);
static_assert(offsetof(ColorantEntry, one) == 132);
static_assert(offsetof(ColorantEntry, bitsPerPixel) == 136);
static_assert(offsetof(ColorantEntry, color) == 140);
static_assert(sizeof(ColorantEntry) == 144);

// A colorant list: count, caller-provided entries, capacity (4096).
struct ColorantList {
    int32_t count;
    ColorantEntry* entries;
    int32_t capacity;
};
static_assert(offsetof(ColorantList, entries) == 4);
static_assert(offsetof(ColorantList, capacity) == 12);
constexpr int kColorantCapacity = 4096;

// The host's screening table.
struct ScreenEntry {
    char shape[128];
    float frequency;
    float angle;
    char colorName[64];
};
static_assert(offsetof(ScreenEntry, frequency) == 128);
static_assert(offsetof(ScreenEntry, angle) == 132);
static_assert(offsetof(ScreenEntry, colorName) == 136);
static_assert(sizeof(ScreenEntry) == 200);
struct ScreenTable {
    int32_t count;
    ScreenEntry entries[256];
};
static_assert(offsetof(ScreenTable, entries) == 4);
static_assert(sizeof(ScreenTable) == 4 + 256 * 200);

// The host's dither table: N levels, weights per ink and step.
struct DitherTable {
    int32_t levels;             // N, set by the caller
    float weights[16 * 64];     // ink k, step s at 64 * k + s
    int32_t antiClog;
    float noise;
    int32_t inkCount;           // at most 16, set by the caller
};
static_assert(offsetof(DitherTable, weights) == 4);
static_assert(offsetof(DitherTable, antiClog) == 4 + 4096);
static_assert(offsetof(DitherTable, noise) == 8 + 4096);
static_assert(offsetof(DitherTable, inkCount) == 12 + 4096);

// Paper description filled by SetPaperInfo.
struct PaperInfo {
    double width;
    double height;
    uint32_t value;
    char text[256];
};

#pragma pack(pop)

// The host's output port: the second slot of its virtual table writes bytes
// and answers how many were written.
class OutputPort {
public:
    virtual int32_t reserved0() { return 0; }
    virtual int32_t write(const void* data, int32_t count, uint64_t context) = 0;

protected:
    ~OutputPort() = default;
};
