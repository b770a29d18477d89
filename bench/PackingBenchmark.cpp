// Writes the four separations of a page as the KIP engine does (PackBits
// TIFF through the image writer) and then packs the folder with the packing
// tool, printing both times on one line. Not a test: run it by hand,
// preferably from a Release build:
//   bench_packing [WIDTH HEIGHT [BITS]]   (default 21600 28800 1: 36 x 48 in at 600 dpi)
#include "KIPExportBitmap.h"
#include "Platform/PlatformProcess.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

#ifndef ZUKIP_PACKING_TOOL
#error "ZUKIP_PACKING_TOOL must name the packing tool"
#endif

namespace {
double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Halftone-like rows: a band of patterns across the middle of the page, white elsewhere.
void fillRow(std::vector<uint8_t>& row, int plane, uint32_t y, uint32_t height) {
    const bool inBand = y > height / 4 && y < height * 3 / 4;
    for (size_t x = 0; x < row.size(); ++x)
        row[x] = inBand ? uint8_t((x / 16 + y / 8 + size_t(plane) * 40) ^ (x * 2654435761u >> 27)) : 0;
}

bool writeSeparations(const fs::path& folder, uint32_t width, uint32_t height, int bits) {
    static const char* const kColours[] = {"C", "M", "Y", "K"};
    std::vector<uint8_t> row((uint64_t{width} * bits + 31) / 32 * 4);
    for (int plane = 0; plane < 4; ++plane) {
        const fs::path path = folder / ("page_1_" + std::string(kColours[plane]) + ".tif");
        KIPExportBitmap image(path.c_str(), width, height, 600, 600, bits, 6, 0, nullptr, "", 0);
        if (!image.IsOpen()) return false;
        for (uint32_t y = 0; y < height; ++y) {
            fillRow(row, plane, y, height);
            if (!image.WriteBand(1, static_cast<uint32_t>(row.size()), row.data())) return false;
        }
    }
    return true;
}
}  // namespace

int main(int argc, char** argv) {
    const uint32_t width = argc > 2 ? uint32_t(std::strtoul(argv[1], nullptr, 10)) : 21600;
    const uint32_t height = argc > 2 ? uint32_t(std::strtoul(argv[2], nullptr, 10)) : 28800;
    const int bits = argc > 3 ? std::atoi(argv[3]) : 1;
    const fs::path root = fs::temp_directory_path() / ("zukip-bench-packing-" + std::to_string(::getpid()));
    const fs::path job = root / "job";
    fs::create_directories(job);

    auto start = std::chrono::steady_clock::now();
    const bool written = writeSeparations(job, width, height, bits);
    const double writeSeconds = secondsSince(start);

    const std::string tool = ZUKIP_PACKING_TOOL;
    const std::string line = "\"" + tool + "\" -dir \"" + job.string() + "\" -zipName \"job.zip\" -dirOutput \"" +
                             root.string() + "\"";
    start = std::chrono::steady_clock::now();
    PlatformProcess packer;
    int code = -1;
    const bool packed = written && packer.Start(tool, line) &&
                        packer.Wait(PlatformProcess::kInfinite) == PlatformProcess::waitEnded &&
                        packer.ExitCode(code) && code == 0;
    const double packSeconds = secondsSince(start);

    std::error_code ec;
    const auto archiveBytes = packed ? fs::file_size(root / "job.zip", ec) : 0;
    if (packed) {
        std::printf("page %ux%u %d-bit CMYK: write separations %.2f s, pack %.2f s (%.0f %% of writing), archive %.1f MB\n",
                    width, height, bits, writeSeconds, packSeconds, 100.0 * packSeconds / writeSeconds,
                    archiveBytes / 1e6);
    } else {
        std::fprintf(stderr, "bench_packing: %s failed\n", written ? "packing" : "writing the separations");
    }
    fs::remove_all(root, ec);
    return packed ? 0 : 1;
}
