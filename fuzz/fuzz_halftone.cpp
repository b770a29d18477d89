// Fuzzes the halftone parameter readers: the input is a parameter file, read
// as screening parameters and as dither parameters for the first ids of every
// level and for a few table shapes the host asks for; then, as the default
// file, through its manufacturer list.
#include "DitherParams.h"
#include "FuzzSupport.h"
#include "HostRecords.h"
#include "PlatformMessageBox.h"
#include "PrinterSetup.h"
#include "ScreeningParams.h"

#include <cstring>
#include <memory>

namespace {
struct TableShape {
    int levels;
    int inks;
};
// Levels and inks as the host sets them: bilevel, 2-bit, 4-bit CMYK, the 256-level ask, all 16 inks.
constexpr TableShape kShapes[] = {{2, 1}, {4, 4}, {16, 4}, {256, 4}, {64, 16}};

template <size_t N>
void requireTerminated(const char (&text)[N], const char* what) {
    if (!std::memchr(text, '\0', N)) FuzzFail(what);
}

void readScreening(const AString& path, const PrinterSetup& setup) {
    auto table = std::make_unique<ScreenTable>();
    std::memset(table.get(), 0, sizeof *table);
    LoadScreeningParams(path, &setup, table.get());
    if (table->count < 0 || table->count > 256) FuzzFail("screen count outside the table");
    for (int i = 0; i < table->count; ++i) {
        requireTerminated(table->entries[i].shape, "screen shape not terminated");
        requireTerminated(table->entries[i].colorName, "screen colour not terminated");
    }
}

void readDither(const AString& path, const PrinterSetup& setup) {
    for (const TableShape& shape : kShapes) {
        DitherTable table{};
        table.levels = shape.levels;
        table.inkCount = shape.inks;
        LoadDitherParams(path, &setup, &table);
        if (table.levels != shape.levels || table.inkCount != shape.inks) FuzzFail("caller's table shape changed");
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The default file names: they are read with the plain reader, the others with the host's.
    const AString screening = WriteFuzzFile("OutputDrivers/ScreeningParams.xml", data, size).c_str();
    const AString dither = WriteFuzzFile("OutputDrivers/Ditherparams.xml", data, size).c_str();
    const AString other = WriteFuzzFile("OutputDrivers/Fuzz.xml", data, size).c_str();
    MessageBoxCapture boxes;
    PrinterSetup setup;
    std::strcpy(setup.modelName, "KIP 700m");
    std::strcpy(setup.manufacturerName, "KIP");
    readScreening(screening, setup);
    readScreening(other, setup);
    readDither(dither, setup);
    readDither(other, setup);
    // The input as the default file also names the manufacturer's file (or map) to read.
    AString found;
    FindScreeningParamsFile(setup.modelName, setup.manufacturerName, found);
    readScreening(found, setup);
    FindDitherParamsFile(setup.modelName, setup.manufacturerName, found);
    readDither(found, setup);
    return 0;
}
