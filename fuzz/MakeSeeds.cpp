// Writes the generated seed inputs of the corpora (README.md): raster job
// files made with ZURasterWriter, TIFF files made with ExportBitmap as the
// KIP engine makes them (before the directory is moved) and job headers.
// Usage: fuzz_make_seeds <corpus folder>. Existing files are replaced.
#include "ExportBitmap.h"
#include "JobHeader.h"
#include "ZURasterWriter.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {
// The engine's tag list, for a 5-row image.
constexpr char kTags[] =
    "int16 259 32773 int32 263 2 int32 266 1 int32 274 1 int32 278 5 str 285 page__test str 305 Qel str 306 2011";

std::vector<uint8_t> pattern(size_t size, uint8_t seed) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 37);
    return bytes;
}

bool writeRasterPage(ZURasterWriter& writer) {
    // Width 13: neither plane's line is a whole number of bytes.
    if (!writer.BeginPage(13, 3) || !writer.AddPlane("Black", "K", 1) || !writer.AddPlane("Cyan", "C", 8)) return false;
    for (int line = 0; line < 3; ++line) {
        const std::vector<uint8_t> bits = pattern(2, static_cast<uint8_t>(line));
        const std::vector<uint8_t> bytes(13, static_cast<uint8_t>(line * 80));   // runs for PackBits
        if (!writer.WriteLine(0, line, bits.data(), bits.size()) || !writer.WriteLine(1, line, bytes.data(), bytes.size()))
            return false;
    }
    return writer.EndPage();
}

bool writeTiledPage(ZURasterWriter& writer) {
    if (!writer.BeginTiledPage(10, 2) || !writer.AddPlane("Magenta", "M", 2)) return false;
    for (int tile = 0; tile < 2; ++tile) {
        if (!writer.BeginTile(5, 2)) return false;
        for (int line = 0; line < 2; ++line) {
            const std::vector<uint8_t> bytes = pattern(2, static_cast<uint8_t>(tile * 2 + line));
            if (!writer.WriteLine(0, line, bytes.data(), bytes.size())) return false;
        }
    }
    return writer.EndPage();
}

bool makeRaster(const fs::path& path, bool tiled) {
    ZURasterWriter writer;
    return writer.Create(path.c_str()) && writeRasterPage(writer) && (!tiled || writeTiledPage(writer)) &&
           writer.Finish();
}

bool makeTiff(const fs::path& path, uint32_t width, int bitsPerPixel) {
    const uint32_t rowBytes = (width * static_cast<uint32_t>(bitsPerPixel) + 7) / 8;
    ExportBitmap image(path.c_str(), width, 5, 300.0, 300.0, bitsPerPixel, 0, 0, nullptr, kTags,
                       static_cast<int>(std::strlen(kTags)));
    const std::vector<uint8_t> rows = pattern(rowBytes * 5, 1);
    return image.WriteBand(5, rowBytes, rows.data()) != 0;
}

bool makeHeader(const fs::path& path, bool unterminated) {
    JobHeaderLayout header{};
    SetJobHeaderText(header.jobName, "C:\\Jobs\\poster.pdf");
    SetJobHeaderText(header.modelName, "KIP 700m");
    SetJobHeaderText(header.jobText1, "Plotter room");
    header.xResolution = header.yResolution = 600.0f;
    header.pageWidth = 36.0;
    header.pageHeight = 48.0;
    header.options[0] = 20;
    header.options[4] = 1;
    header.colorMode = 1;
    if (unterminated) {
        // Every text field full to its last byte: the driver must still terminate its copies.
        std::memset(header.jobName, 'N', sizeof header.jobName);
        std::memset(header.modelName, 'M', sizeof header.modelName);
        std::memset(header.jobText1, '1', sizeof header.jobText1);
        std::memset(header.jobText2, '2', sizeof header.jobText2);
        std::memset(header.jobText3, '3', sizeof header.jobText3);
        std::memset(header.jobText4, '4', sizeof header.jobText4);
    }
    return WriteJobHeaderFile(path.c_str(), header);
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    const fs::path corpus = argv[1];
    const bool ok = makeRaster(corpus / "raster" / "ok-one-page.zrs", false) &&
                    makeRaster(corpus / "raster" / "ok-page-and-tiled-page.zrs", true) &&
                    makeTiff(corpus / "tiff_rewrite" / "ok-1bit-13x5.tif", 13, 1) &&
                    makeTiff(corpus / "tiff_rewrite" / "ok-2bit-7x5.tif", 7, 2) &&
                    makeTiff(corpus / "tiff_rewrite" / "ok-8bit-3x5.tif", 3, 8) &&
                    makeHeader(corpus / "job_header" / "ok-header.job", false) &&
                    makeHeader(corpus / "job_header" / "ok-unterminated-texts.job", true);
    if (!ok) std::fprintf(stderr, "cannot write the seeds into %s\n", corpus.c_str());
    return ok ? 0 : 1;
}
