// Writes and reads back a 36 x 48 inch CMYK page at 600 dpi (or the size
// given as arguments) and prints the times and the peak memory. Not a test:
// run it by hand, preferably from a Release build.
#include "ZUJob.h"
#include "ZURasterWriter.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/resource.h>
#include <vector>

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

long PeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A page that is white around a band of gradients and noise.
void FillLine(std::vector<uint8_t>& line, int plane, int y, int height) {
    const bool inBand = y > height / 4 && y < height * 3 / 4;
    for (size_t x = 0; x < line.size(); ++x)
        line[x] = inBand ? uint8_t((x / 64 + size_t(y) / 32 + size_t(plane) * 40) ^ (x * 2654435761u >> 29)) : 0;
}

}  // namespace

int main(int argc, char** argv) {
    const int width = argc > 2 ? std::atoi(argv[1]) : 21600;
    const int height = argc > 2 ? std::atoi(argv[2]) : 28800;
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "zukip-bench.zrs";
    const char* names[] = {"Cyan", "Magenta", "Yellow", "Black"};
    std::vector<uint8_t> line(static_cast<size_t>(width));

    auto start = std::chrono::steady_clock::now();
    ZURasterWriter w;
    bool ok = w.Create(path.c_str()) && w.BeginPage(width, height);
    for (const char* name : names) ok = ok && w.AddPlane(name, name, 8);
    for (int p = 0; p < 4 && ok; ++p)
        for (int y = 0; y < height && ok; ++y) {
            FillLine(line, p, y, height);
            ok = w.WriteLine(p, y, line.data(), line.size());
        }
    if (!(ok && w.EndPage() && w.Finish())) {
        std::fprintf(stderr, "write failed: %s\n", w.GetError().c_str());
        return 1;
    }
    std::printf("write %d x %d x 4: %.2f s, %.0f MB\n", width, height, Seconds(start),
                double(std::filesystem::file_size(path)) / 1e6);
    const long afterWrite = PeakKilobytes();

    for (int order = 1; order <= 2; ++order) {
        start = std::chrono::steady_clock::now();
        ZUJob job;
        if (!job.Load(path.c_str()) || !job.OpenData()) return 1;
        AImage* image = job.GetImage(0);
        for (long k = 0; k < 4L * height; ++k) {
            const int p = int(order == 1 ? k / height : k % 4);
            const int y = int(order == 1 ? k % height : k / 4);
            if (!image->ReadLine(p, y, line.data(), line.size())) return 1;
        }
        std::printf("read, line order %d: %.2f s\n", order, Seconds(start));
    }
    std::printf("peak memory: %ld KB after writing, %ld KB after reading\n", afterWrite, PeakKilobytes());
    std::filesystem::remove(path);
    return 0;
}
