#include "HostProgramFixture.h"

#include "ZUJob.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sstream>

#ifndef ZUKIP_PROGRAM
#error "ZUKIP_PROGRAM must name the built zukip program"
#endif

namespace fs = std::filesystem;

std::vector<std::string> ProgramRun::errLines() const {
    std::vector<std::string> lines;
    std::istringstream in(err);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// A new empty file for one stream of one run: test programs run side by side, often in the same folder,
// so fixed names would mix their output.
static fs::path captureFile(const char* stream) {
    std::string path = (fs::temp_directory_path() / ("zukip-" + std::string(stream) + "-XXXXXX")).string();
    const int fd = mkstemp(path.data());
    if (fd >= 0) close(fd);
    return path;
}

// The word in single quotes for the shell.
static std::string quoted(const std::string& word) {
    std::string text = "'";
    for (const char c : word) text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return text + "'";
}

// The shell sets the folder and the streams; exec leaves the program's exit status or signal to system.
ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args, const fs::path& cwd) {
    const fs::path outPath = captureFile("stdout"), errPath = captureFile("stderr");
    std::string command = "cd " + quoted(cwd) + " && exec " + quoted(program);
    for (const std::string& arg : args) command += " " + quoted(arg);
    command += " </dev/null >" + quoted(outPath) + " 2>" + quoted(errPath);
    const int status = std::system(command.c_str());
    ProgramRun run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = readFile(outPath);
    run.err = readFile(errPath);
    fs::remove(outPath);
    fs::remove(errPath);
    return run;
}

void writeTiff(const fs::path& path, const std::vector<TiffPage>& pages) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tif, nullptr);
    for (const TiffPage& p : pages) {
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, p.width);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, p.height);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, p.samples);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, p.bits);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, p.photometric);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
        TIFFSetField(tif, TIFFTAG_ORIENTATION, p.orientation);
        if (!p.extra.empty()) TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, uint16_t(p.extra.size()), p.extra.data());
        if (!p.colormap.empty()) {
            const size_t n = p.colormap.size() / 3;
            TIFFSetField(tif, TIFFTAG_COLORMAP, &p.colormap[0], &p.colormap[n], &p.colormap[2 * n]);
        }
        if (p.dpi > 0) {
            TIFFSetField(tif, TIFFTAG_XRESOLUTION, p.dpi);
            TIFFSetField(tif, TIFFTAG_YRESOLUTION, p.dpi);
            TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        }
        const size_t rowBytes = (size_t(p.width) * p.samples * p.bits + 7) / 8;
        std::vector<uint8_t> data = p.data;   // libtiff's writes take non-const buffers
        if (p.tile) {
            TIFFSetField(tif, TIFFTAG_TILEWIDTH, p.tile);
            TIFFSetField(tif, TIFFTAG_TILELENGTH, p.tile);
            const size_t pixelBytes = p.samples * p.bits / 8;
            for (uint32_t ty = 0; ty < p.height; ty += p.tile)
                for (uint32_t tx = 0; tx < p.width; tx += p.tile) {
                    std::vector<uint8_t> tile(size_t(p.tile) * p.tile * pixelBytes, 0);
                    const size_t bytes = (std::min(tx + p.tile, p.width) - tx) * pixelBytes;
                    for (uint32_t y = ty; y < std::min(ty + p.tile, p.height); ++y)
                        std::copy_n(&data[y * rowBytes + tx * pixelBytes], bytes, &tile[(y - ty) * p.tile * pixelBytes]);
                    ASSERT_GE(TIFFWriteTile(tif, tile.data(), tx, ty, 0, 0), 0);
                }
        } else {
            TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 4);
            for (uint32_t y = 0; y < p.height; ++y) ASSERT_GE(TIFFWriteScanline(tif, &data[y * rowBytes], y, 0), 0);
        }
        TIFFWriteDirectory(tif);
    }
    TIFFClose(tif);
}

std::vector<std::string> listTree(const fs::path& root) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(root)) names.push_back(fs::relative(entry, root));
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<PageData> readRaster(const fs::path& job) {
    std::vector<PageData> pages;
    ZUJob reader;
    const std::string raster = ZUJob::GetFileName(2, job.c_str()).c_str();
    EXPECT_TRUE(reader.Load(raster.c_str())) << raster;
    EXPECT_TRUE(reader.OpenData());
    for (int p = 0; p < reader.GetPageCount(); ++p) {
        AImage* image = reader.GetImage(p);
        if (!image) break;   // every caller checks the page count
        PageData page{image->GetWidth(), image->GetHeight(), {}};
        for (size_t c = 0; c < image->GetColorants().size(); ++c) {
            const AColorant* colorant = image->GetColorants()[c];
            PlaneData plane{colorant->GetInternalName().c_str(), colorant->GetDepth(), {}};
            const size_t bytes = (size_t(plane.depth) * page.width + 7) / 8;
            for (int y = 0; y < page.height; ++y) {
                std::vector<uint8_t> row(bytes);
                EXPECT_TRUE(image->ReadLine(int(c), y, row.data(), row.size()));
                plane.rows.push_back(row);
            }
            page.planes.push_back(plane);
        }
        pages.push_back(page);
    }
    return pages;
}

JobHeaderLayout readHeader(const fs::path& job) {
    const std::vector<unsigned char> bytes = readBytes(job);
    JobHeaderLayout header{};
    EXPECT_EQ(bytes.size(), kJobHeaderSize);
    if (bytes.size() == kJobHeaderSize) std::memcpy(&header, bytes.data(), kJobHeaderSize);
    return header;
}

HostProgramTest::HostProgramTest() {
    base_.copySamples();
    work_ = base_.path() / "work";
    fs::create_directories(work_);
}

ProgramRun HostProgramTest::zukip(const std::string& command, std::vector<std::string> args) const {
    args.insert(args.begin(), {command, "--base", basePath()});
    return runProgram(ZUKIP_PROGRAM, args, work_);
}
