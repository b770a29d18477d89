// Writes the planes of a 36 x 48 inch page at 600 dpi (a quarter of it with
// --quick) the way the driver writes a separation (KIPExportBitmap, row by
// row, then the directory moved to the front) and the same planes with
// libtiff's PackBits scanline writer, and counts their ink. Prints MB/s of
// raw plane data, the ratio of the two writers, the ink counter's throughput
// and the peak memory. Run it through scripts/bench.sh from a release build.
#include "KIPExportBitmap.h"
#include "KIPInkCounter.h"
#include "TiffDirectoryMover.h"

#include <tiffio.h>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;
const char* const kTagList =
    "int16 259 32773 int32 263 2 int32 266 1 int32 274 1 int32 278 %u str 285 page__test str 305 Qel str 306 2011";
const int kDistinctRows = 509;   // rows are drawn from this many, so making them costs nothing in the timing

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

long peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

struct PlaneKind {
    const char* name;
    int bits;
    std::function<void(std::vector<uint8_t>&, uint32_t row, std::mt19937&)> fill;
};

// 1-bit halftone of a smooth tone, with blocks of solid "text" lines on white.
void halftoneRow(std::vector<uint8_t>& row, uint32_t y, std::mt19937&) {
    static const uint8_t kDots[4] = {0x88, 0x22, 0x44, 0x11};
    for (size_t x = 0; x < row.size(); ++x) {
        const bool text = (x / 200) % 3 == 0 && (y / 16) % 4 == 0;
        const bool margin = x < row.size() / 10 || x > row.size() * 9 / 10;
        row[x] = margin ? 0 : text ? (x % 7 < 5 ? 0xFF : 0x00) : uint8_t(kDots[y % 4] | kDots[(y + x / 64) % 4]);
    }
}

void randomRow(std::vector<uint8_t>& row, uint32_t, std::mt19937& rng) {
    for (uint8_t& b : row) b = uint8_t(rng());
}

void nearlyEmptyRow(std::vector<uint8_t>& row, uint32_t y, std::mt19937&) {
    std::fill(row.begin(), row.end(), 0);
    if (y % 97 == 0) std::fill(row.begin() + row.size() / 3, row.begin() + row.size() / 3 + 40, 0xFF);
}

// 8-bit contone: gradients with a little noise, as a RIP's screened-free output looks.
void contoneRow(std::vector<uint8_t>& row, uint32_t y, std::mt19937& rng) {
    for (size_t x = 0; x < row.size(); ++x) row[x] = uint8_t((x * 255 / row.size() + y % 64) / 2 + rng() % 8);
}

struct Result {
    double driverSeconds = 0, libtiffSeconds = 0;
    uintmax_t driverBytes = 0, libtiffBytes = 0;
};

std::vector<std::vector<uint8_t>> makeRows(const PlaneKind& kind, uint32_t width) {
    std::mt19937 rng(42);
    std::vector<std::vector<uint8_t>> rows(kDistinctRows, std::vector<uint8_t>((size_t(width) * kind.bits + 7) / 8));
    for (uint32_t y = 0; y < rows.size(); ++y) kind.fill(rows[y], y, rng);
    return rows;
}

bool writeWithDriver(const std::string& path, const std::vector<std::vector<uint8_t>>& rows, uint32_t width,
                     uint32_t height, int bits) {
    char tags[256];
    std::snprintf(tags, sizeof tags, kTagList, height);
    {
        KIPExportBitmap image(path.c_str(), width, height, 600.0, 600.0, bits, 6, 0, nullptr, tags, int(std::strlen(tags)));
        if (!image.LeaveRoomForDirectory()) return false;
        for (uint32_t y = 0; y < height; ++y) {
            const std::vector<uint8_t>& row = rows[y % rows.size()];
            if (!image.WriteBand(1, uint32_t(row.size()), row.data())) return false;
        }
        if (!image.Finish()) return false;
    }
    return MoveTiffDirectoryToFront(path.c_str()) == 1;
}

bool writeWithLibtiff(const std::string& path, const std::vector<std::vector<uint8_t>>& rows, uint32_t width,
                      uint32_t height, int bits) {
    TIFF* tif = TIFFOpen(path.c_str(), "wl");
    if (!tif) return false;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_PACKBITS);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, height);
    TIFFWriteBufferSetup(tif, nullptr, 256 * 1024);
    bool ok = true;
    std::vector<uint8_t> scratch;   // libtiff may encode in place
    for (uint32_t y = 0; ok && y < height; ++y) {
        scratch = rows[y % rows.size()];
        ok = TIFFWriteScanline(tif, scratch.data(), y, 0) == 1;
    }
    TIFFClose(tif);
    return ok;
}

double inkGigabytesPerSecond(const std::vector<std::vector<uint8_t>>& rows, int bits, uint64_t bytes) {
    KIPInkCounter counter;
    const Clock::time_point start = Clock::now();
    uint64_t done = 0;
    for (uint32_t y = 0; done < bytes; ++y) {
        const std::vector<uint8_t>& row = rows[y % rows.size()];
        counter.Count(KIPInkCounter::Cyan, row.data(), row.size(), bits);
        done += row.size();
    }
    const double seconds = secondsSince(start);
    std::printf("%s", counter.Counters()[0] < 0 ? "?" : "");   // keeps the counting
    return double(done) / seconds / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;   // else "--full"
    const fs::path folder = argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path();
    // 36 x 48 inches at 600 dpi; a quarter page is half as wide and half as high.
    const uint32_t width = quick ? 10800 : 21600, height = quick ? 14400 : 28800;
    const PlaneKind kinds[] = {{"1-bit halftone", 1, halftoneRow},
                               {"1-bit random", 1, randomRow},
                               {"1-bit nearly empty", 1, nearlyEmptyRow},
                               {"8-bit contone", 8, contoneRow}};
    std::printf("%u x %u pixels, one plane per kind, files in %s\n\n", width, height, folder.c_str());
    std::printf("%-20s %10s %12s %12s %7s %12s %12s %10s\n", "plane", "raw MB", "driver MB/s", "libtiff MB/s",
                "ratio", "driver MB", "libtiff MB", "ink GB/s");
    for (const PlaneKind& kind : kinds) {
        const std::vector<std::vector<uint8_t>> rows = makeRows(kind, width);
        const double raw = double(rows.front().size()) * height;
        const std::string driverPath = (folder / "bench_driver.tif").string();
        const std::string libtiffPath = (folder / "bench_libtiff.tif").string();
        Result r;
        Clock::time_point start = Clock::now();
        if (!writeWithDriver(driverPath, rows, width, height, kind.bits)) return std::fprintf(stderr, "driver write failed\n"), 1;
        r.driverSeconds = secondsSince(start);
        start = Clock::now();
        if (!writeWithLibtiff(libtiffPath, rows, width, height, kind.bits)) return std::fprintf(stderr, "libtiff write failed\n"), 1;
        r.libtiffSeconds = secondsSince(start);
        r.driverBytes = fs::file_size(driverPath);
        r.libtiffBytes = fs::file_size(libtiffPath);
        fs::remove(driverPath);
        fs::remove(libtiffPath);
        std::printf("%-20s %10.0f %12.0f %12.0f %6.1fx %12.1f %12.1f %10.1f\n", kind.name, raw / 1e6,
                    raw / 1e6 / r.driverSeconds, raw / 1e6 / r.libtiffSeconds, r.libtiffSeconds / r.driverSeconds,
                    double(r.driverBytes) / 1e6, double(r.libtiffBytes) / 1e6,
                    inkGigabytesPerSecond(rows, kind.bits, uint64_t(raw)));
    }
    std::printf("\npeak memory %ld MiB\n", peakMegabytes());
    return 0;
}
