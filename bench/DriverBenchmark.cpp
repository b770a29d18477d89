// The driver from the raster job to the separations, against libtiff's
// PackBits scanline writer on the same planes. For each kind of plane of the
// reference page (36 x 48 inches at 600 dpi, CMYK; a quarter of it with
// --quick) it writes a host job as zukip make-job does (not timed), runs it
// through the module loaded with dlopen as zukip print does, from job start
// to the finish file, writes the same four planes with libtiff, and runs
// `zukip print` on the job as a child process. Prints MB/s of raw planes in,
// the ratio of the two writers, print against the driver alone, the peak
// memory of print, the ink counter's throughput and the peak memory of this
// process (the driver's run included). Run it through scripts/bench.sh from
// a release build.
#include "DriverModule.h"
#include "JobFileWriter.h"
#include "JobRunner.h"
#include "KIPInkCounter.h"
#include "PrinterCatalog.h"
#include "ProgressDisplay.h"

#include <tiffio.h>

#include <sched.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#if !defined(ZUKIP_BENCH_MODULE) || !defined(ZUKIP_BENCH_PROGRAM) || !defined(ZUKIP_BENCH_BASE)
#error "ZUKIP_BENCH_MODULE, ZUKIP_BENCH_PROGRAM and ZUKIP_BENCH_BASE must name the module, zukip and the sample base"
#endif

namespace fs = std::filesystem;
extern char** environ;

namespace {

const char* const kModel = "KIP 870 Color";
const char* const kInks[] = {"Cyan", "Magenta", "Yellow", "Black"};
constexpr int kPlanes = 4;
constexpr double kDpi = 600;
constexpr int kRuns = 3;              // runs of each writer; the fastest counts
constexpr size_t kDistinctRows = 509;   // rows are drawn from this many, so making them costs nothing in the timing

// Times are CPU seconds (user and system) of the process doing the work: other engineers' load on a shared
// machine stretches wall time, not these.
double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

double secondsOf(const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; }

[[noreturn]] void fail(const std::string& what) { throw std::runtime_error(what); }

struct PlaneKind {
    const char* name;
    int bits;
    std::function<void(std::vector<uint8_t>&, uint32_t row, std::mt19937&)> fill;
};

// Blocks of solid "text" lines on white margins, over whatever the row holds between the margins.
void addTextAndMargins(std::vector<uint8_t>& row, uint32_t y) {
    for (size_t x = 0; x < row.size(); ++x) {
        const bool text = (x / 200) % 3 == 0 && (y / 16) % 4 == 0;
        const bool margin = x < row.size() / 10 || x > row.size() * 9 / 10;
        if (margin) row[x] = 0;
        else if (text) row[x] = x % 7 < 5 ? 0xFF : 0x00;
    }
}

// 1-bit halftone as a host screens for this printer: round dots at 60 lines per inch and 45 degrees (the
// screen the KIP engine gives the host for black) over a smooth tone, with text blocks. The rotated cells
// do not line up with bytes, so PackBits finds runs only in the lightest and darkest tones.
void halftoneRow(std::vector<uint8_t>& row, uint32_t y, std::mt19937&) {
    const double cell = kDpi / 60.0, turn = std::sqrt(0.5);
    const size_t width = row.size() * 8;
    std::fill(row.begin(), row.end(), 0);
    for (size_t x = 0; x < width; ++x) {
        const double u = (double(x) + y) * turn / cell, v = (double(y) - double(x)) * turn / cell;
        const double du = u - std::floor(u) - 0.5, dv = v - std::floor(v) - 0.5;
        const double ink = 0.9 * double(x) / double(width) + 0.1 * double(y % 64) / 64.0;
        if (2.0 * (du * du + dv * dv) < ink) row[x / 8] |= uint8_t(0x80 >> (x % 8));
    }
    addTextAndMargins(row, y);
}

// 1-bit flat tints, as CAD fills print: dot patterns that stay the same over 64 bytes, with text blocks.
void flatTintRow(std::vector<uint8_t>& row, uint32_t y, std::mt19937&) {
    static const uint8_t kDots[4] = {0x88, 0x22, 0x44, 0x11};
    for (size_t x = 0; x < row.size(); ++x) row[x] = uint8_t(kDots[y % 4] | kDots[(y + x / 64) % 4]);
    addTextAndMargins(row, y);
}

void randomRow(std::vector<uint8_t>& row, uint32_t, std::mt19937& rng) {
    for (uint8_t& b : row) b = uint8_t(rng());
}

void nearlyEmptyRow(std::vector<uint8_t>& row, uint32_t y, std::mt19937&) {
    std::fill(row.begin(), row.end(), 0);
    if (y % 97 == 0) std::fill(row.begin() + row.size() / 3, row.begin() + row.size() / 3 + 40, 0xFF);
}

// 8-bit contone: gradients with a little noise, as a RIP's unscreened output looks.
void contoneRow(std::vector<uint8_t>& row, uint32_t y, std::mt19937& rng) {
    for (size_t x = 0; x < row.size(); ++x) row[x] = uint8_t((x * 255 / row.size() + y % 64) / 2 + rng() % 8);
}

// The rows of a page of four planes of one kind, one page: each plane starts elsewhere in the same distinct rows.
class ReferencePage : public PageRows {
public:
    ReferencePage(const PlaneKind& kind, uint32_t width, uint32_t height) {
        std::mt19937 rng(42);
        rows_.assign(kDistinctRows, std::vector<uint8_t>(packedRowBytes(kind.bits, width)));
        for (uint32_t y = 0; y < rows_.size(); ++y) kind.fill(rows_[y], y, rng);
        shape_.width = width;
        shape_.height = height;
        for (const char* ink : kInks) shape_.planes.push_back(RasterPlane{ink, kind.bits, rows_.front().size(), {}});
    }
    const std::vector<uint8_t>& row(int plane, uint32_t y) const {
        return rows_[(y + uint32_t(plane) * 131u) % rows_.size()];
    }
    size_t rowBytes() const { return rows_.front().size(); }
    uint32_t height() const { return shape_.height; }
    double rawBytes() const { return double(rowBytes()) * height() * kPlanes; }
    const std::vector<std::vector<uint8_t>>& distinctRows() const { return rows_; }

    bool nextPage() override {
        if (given_) return false;
        given_ = true;
        next_ = 0;
        return true;
    }
    const RasterPage& page() const override { return shape_; }
    void readRow(uint8_t* const* rows) override {
        for (int p = 0; p < kPlanes; ++p) std::memcpy(rows[p], row(p, next_).data(), rowBytes());
        ++next_;
    }

private:
    std::vector<std::vector<uint8_t>> rows_;
    RasterPage shape_;
    bool given_ = false;
    uint32_t next_ = 0;
};

// The colour mode of the model with four colorants of `bits` bits.
int colorModeOf(const PrinterCatalog& catalog, int bits) {
    for (const CatalogColorMode& mode : catalog.colorModes())
        if (mode.colorants.size() == kPlanes && mode.depth() == bits) return mode.id;
    fail(std::string("no CMYK colour mode of ") + std::to_string(bits) + " bits for " + kModel);
}

// The job file, its raster file and thumbnail, written row by row by make-job's writer.
void writeJob(const std::string& jobPath, int colorMode, ReferencePage& page) {
    JobSettings settings;
    settings.model = kModel;
    settings.documentName = "bench";
    settings.xResolution = settings.yResolution = kDpi;
    settings.colorMode = colorMode;
    std::vector<PlaneNames> names;
    for (const char* ink : kInks) names.push_back({ink, ink});
    JobFileWriter::write(jobPath, settings, page, names);
}

uintmax_t tiffBytes(const fs::path& folder) {
    uintmax_t bytes = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder))
        if (entry.path().extension() == ".tif") bytes += entry.file_size();
    return bytes;
}

bool hasFinishFile(const fs::path& folder) {
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder))
        if (entry.path().filename() == "Finish.txt") return true;
    return false;
}

// Runs the job through the driver; returns the seconds from job start to the end of the job (the finish file).
double runDriver(const DriverModule& module, const std::string& job, const fs::path& output) {
    DriverModule::Driver driver = module.createDriver();
    std::FILE* quiet = std::fopen("/dev/null", "w");
    if (!quiet) fail("cannot open /dev/null");
    ProgressDisplay progress(quiet, false);
    static const volatile std::sig_atomic_t never = 0;
    JobRunner runner(*driver, progress, never);
    const double start = cpuSeconds();
    const JobOutcome outcome = runner.run(JobPaths{job, "", output.string(), "bench", 0, 0});
    const double seconds = cpuSeconds() - start;
    driver.reset();
    std::fclose(quiet);
    if (outcome.state != JobOutcome::Finished || !hasFinishFile(output)) fail("driver: " + outcome.reason);
    return seconds;
}

// The same planes as separate PackBits TIFFs through libtiff's scanline writer; returns seconds, adds file bytes.
double writeWithLibtiff(const fs::path& folder, const ReferencePage& rows, uint32_t width, int bits,
                        uintmax_t& bytes) {
    std::vector<uint8_t> scratch(rows.rowBytes());   // libtiff may encode in place
    const double start = cpuSeconds();
    for (int p = 0; p < kPlanes; ++p) {
        const std::string path = (folder / (std::string("libtiff_") + kInks[p] + ".tif")).string();
        TIFF* tif = TIFFOpen(path.c_str(), "wl");
        if (!tif) fail("libtiff cannot create " + path);
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, rows.height());
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_PACKBITS);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rows.height());
        TIFFWriteBufferSetup(tif, nullptr, 256 * 1024);
        bool ok = true;
        for (uint32_t y = 0; ok && y < rows.height(); ++y) {
            std::memcpy(scratch.data(), rows.row(p, y).data(), scratch.size());
            ok = TIFFWriteScanline(tif, scratch.data(), y, 0) == 1;
        }
        TIFFClose(tif);
        if (!ok) fail("libtiff cannot write " + path);
    }
    const double seconds = cpuSeconds() - start;
    for (int p = 0; p < kPlanes; ++p) {
        const fs::path path = folder / (std::string("libtiff_") + kInks[p] + ".tif");
        bytes += fs::file_size(path);
        fs::remove(path);
    }
    return seconds;
}

struct ChildRun {
    double seconds = 0;
    long peakKiB = 0;
};

// `zukip print` on the job as its own process: wall time and peak resident memory.
ChildRun runPrint(const std::string& job, const fs::path& output, const fs::path& base) {
    const std::vector<std::string> args = {ZUKIP_BENCH_PROGRAM, "print", "--quiet", "-o", output.string(),
                                           "--base", base.string(), "--module", ZUKIP_BENCH_MODULE, job};
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) fail("cannot start zukip print");
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) fail("lost zukip print");
    ChildRun run{secondsOf(usage.ru_utime) + secondsOf(usage.ru_stime), usage.ru_maxrss};
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !hasFinishFile(output)) fail("zukip print failed");
    return run;
}

double inkGigabytesPerSecond(const ReferencePage& rows, int bits) {
    KIPInkCounter counter;
    const double start = cpuSeconds();
    const double total = rows.rawBytes();
    double done = 0;
    for (uint32_t y = 0; done < total; ++y) {
        const std::vector<uint8_t>& row = rows.distinctRows()[y % kDistinctRows];
        counter.Count(KIPInkCounter::Cyan, row.data(), row.size(), bits);
        done += double(row.size());
    }
    const double seconds = cpuSeconds() - start;
    if (std::isnan(counter.Counters()[0])) std::printf("?");   // keeps the counting
    return done / seconds / 1e9;
}

void runKind(const PlaneKind& kind, uint32_t width, uint32_t height, const fs::path& folder, const fs::path& base,
             const PrinterCatalog& catalog, const DriverModule& module) {
    ReferencePage rows(kind, width, height);
    const std::string job = (folder / "bench.job").string();
    writeJob(job, colorModeOf(catalog, kind.bits), rows);

    // Each writer runs kRuns times, in turns, and keeps its fastest run: a run may also pay for the kernel's
    // (or a virtual machine's) first handing out of memory for file pages, or for reclaiming memory on a busy
    // machine. The driver and print swap places every other round, so that neither always writes first.
    const fs::path driverOut = folder / "driver", printOut = folder / "print";
    double driverSeconds = HUGE_VAL, libtiffSeconds = HUGE_VAL;
    uintmax_t driverBytes = 0, libtiffBytes = 0;
    ChildRun print{HUGE_VAL, 0};
    const auto timeDriver = [&] {
        driverSeconds = std::min(driverSeconds, runDriver(module, job, driverOut));
        driverBytes = tiffBytes(driverOut);
        fs::remove_all(driverOut);
    };
    const auto timePrint = [&] {
        const ChildRun printRun = runPrint(job, printOut, base);
        fs::remove_all(printOut);
        print = ChildRun{std::min(print.seconds, printRun.seconds), std::max(print.peakKiB, printRun.peakKiB)};
    };
    for (int run = 0; run < kRuns; ++run) {
        if (run % 2 == 0) timeDriver();
        else timePrint();
        libtiffBytes = 0;
        libtiffSeconds = std::min(libtiffSeconds, writeWithLibtiff(folder, rows, width, kind.bits, libtiffBytes));
        if (run % 2 == 0) timePrint();
        else timeDriver();
    }
    for (const std::string& file : {job, JobFileWriter::rasterPath(job), JobFileWriter::thumbnailPath(job)})
        fs::remove(file);

    const double raw = rows.rawBytes() / 1e6;
    std::printf("%-20s %8.0f %11.0f %12.0f %6.1fx %8.2fx %9ld %8.1f / %-8.1f %8.1f\n", kind.name, raw,
                raw / driverSeconds, raw / libtiffSeconds, libtiffSeconds / driverSeconds,
                print.seconds / driverSeconds, print.peakKiB / 1024, double(driverBytes) / 1e6,
                double(libtiffBytes) / 1e6, inkGigabytesPerSecond(rows, kind.bits));
    std::fflush(stdout);
}

// The run's files, removed however the run ends.
class ScratchFolder : public fs::path {
public:
    explicit ScratchFolder(const fs::path& where) : fs::path(where) { fs::create_directories(where); }
    ~ScratchFolder() {
        std::error_code ec;
        fs::remove_all(*this, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
};

// Pins this process, and so the zukip print it starts, to the last processor it may run on, and returns
// that processor (-1 when it cannot): cores of a virtual machine can differ, and on the development
// machine the kernel's copies ran at half speed on the first core, which takes most interrupts.
int pinToLastProcessor() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) != 0) return -1;
    int last = -1;
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
        if (CPU_ISSET(cpu, &set)) last = cpu;
    if (last < 0) return -1;
    CPU_ZERO(&set);
    CPU_SET(last, &set);
    return sched_setaffinity(0, sizeof set, &set) == 0 ? last : -1;
}

long peakMebibytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

}  // namespace

int main(int argc, char** argv) try {
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;   // else "--full"
    const fs::path scratch = argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path();
    // 36 x 48 inches at 600 dpi; a quarter page is half as wide and half as high.
    const uint32_t width = quick ? 10800 : 21600, height = quick ? 14400 : 28800;
    const PlaneKind kinds[] = {{"1-bit halftone", 1, halftoneRow},
                               {"1-bit flat tints", 1, flatTintRow},
                               {"1-bit random", 1, randomRow},
                               {"1-bit nearly empty", 1, nearlyEmptyRow},
                               {"8-bit contone", 8, contoneRow}};

    // A base folder of its own, so that the driver's log and counters stay out of the build tree.
    const ScratchFolder folder(scratch / ("zukip-bench-" + std::to_string(getpid())));
    const fs::path base = folder / "base";
    fs::copy(ZUKIP_BENCH_BASE, base, fs::copy_options::recursive);
    setenv("ZUKIP_BASE_DIR", base.c_str(), 1);
    setenv("ZUKIP_LOG_STDERR", "0", 1);
    const PrinterCatalog catalog = PrinterCatalog::load(base.string(), kModel);
    const DriverModule module(ZUKIP_BENCH_MODULE);

    const int processor = pinToLastProcessor();
    std::printf("%u x %u pixels, CMYK (four planes of each kind), files in %s, on processor %d\n", width, height,
                folder.c_str(), processor);
    std::printf("driver: job start to finish file, module loaded with dlopen; libtiff: its PackBits scanline writer;\n"
                "print: zukip print as a whole, against the driver alone. Times are CPU seconds (user + system).\n\n");
    std::printf("%-20s %8s %11s %12s %7s %9s %9s %19s %8s\n", "planes", "raw MB", "driver MB/s", "libtiff MB/s",
                "ratio", "print/drv", "print MiB", "TIFF MB drv / lib", "ink GB/s");
    for (const PlaneKind& kind : kinds) runKind(kind, width, height, folder, base, catalog, module);
    std::printf("\npeak memory of this process (job writing, driver, libtiff): %ld MiB\n", peakMebibytes());
    return 0;
} catch (const std::exception& e) {
    std::fprintf(stderr, "bench_driver: %s\n", e.what());
    return 1;
}
