// zukip end to end over the sample base folder: images made here become a job
// (make-job), the job is printed through the dlopen'ed module (print), and the
// job folder is read back: every separation with libtiff against its input
// plane, the job ticket with pugixml against the job's values and the ink
// that the separations actually hold.
#include "HostProgramFixture.h"
#include "ImageReadBack.h"

#include <pugixml.hpp>
#include <tiffio.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <regex>

namespace fs = std::filesystem;

namespace {

// One separation's pixels: rows of values 0..255 (8-bit) or 0/1 (1-bit).
using Plane = std::vector<std::vector<uint8_t>>;

// The colours of "KIP 870 Color" in plane order, with the colour ids of its file names.
const char* const kColours[4] = {"Cyan", "Magenta", "Yellow", "Black"};
const char* const kColourIds[4] = {"C", "M", "Y", "K"};

Plane makePlane(uint32_t width, uint32_t height, const std::function<uint8_t(uint32_t, uint32_t)>& pixel) {
    Plane plane(height, std::vector<uint8_t>(width));
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) plane[y][x] = pixel(x, y);
    return plane;
}

uint8_t pixelOf(const std::vector<uint8_t>& row, uint32_t x, int depth) {
    return depth == 8 ? row[x] : (row[x / 8] >> (7 - x % 8)) & 1;
}

// Ink of one pixel as the driver counts it: 8-bit (b * 100 / 255) / 100.0, 1-bit one per set bit.
double inkOf(uint8_t value, int depth) {
    return depth == 8 ? (value * 100 / 255) / 100.0 : value;
}

std::string percent(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%f", value);
    return text;
}

// The planes of an 8-bit CMYK test image, written interleaved as the TIFF at path.
std::vector<Plane> writeCmykTiff(const fs::path& path, uint32_t w, uint32_t h) {
    const std::vector<Plane> planes = {
        makePlane(w, h, [w](uint32_t x, uint32_t) { return uint8_t(x * 255 / (w - 1)); }),
        makePlane(w, h, [h](uint32_t, uint32_t y) { return uint8_t(255 - y * 255 / (h - 1)); }),
        makePlane(w, h, [](uint32_t x, uint32_t y) { return uint8_t((x / 3 + y / 2) % 2 ? 128 : 1); }),
        makePlane(w, h, [](uint32_t x, uint32_t y) { return uint8_t(x * 7 + y * 31); }),
    };
    std::vector<uint8_t> cmyk;
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            for (const Plane& plane : planes) cmyk.push_back(plane[y][x]);
    writeTiff(path, w, h, 4, 8, PHOTOMETRIC_SEPARATED, cmyk);
    return planes;
}

// A plane of 0/1 values written as a 1-bit min-is-white TIFF: a set bit is ink; the padding bits of each
// row stay 0.
void writeBitTiff(const fs::path& path, const Plane& plane) {
    const auto w = static_cast<uint32_t>(plane[0].size()), h = static_cast<uint32_t>(plane.size());
    const size_t rowBytes = (w + 7) / 8;
    std::vector<uint8_t> bits(rowBytes * h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            if (plane[y][x]) bits[y * rowBytes + x / 8] |= uint8_t(0x80 >> (x % 8));
    writeTiff(path, w, h, 1, 1, PHOTOMETRIC_MINISWHITE, bits);
}

// One poster panel as the sample model names its tile: tile id and strip id texts, place and size.
struct Panel {
    std::string id, strip;
    uint32_t x, y, width, height;
};

// Each panel's tile of each colour is its part of the plane (a blank tile of the
// panel's size for a colour whose plane is empty), with a ticket in its tile folder.
void expectTiles(const fs::path& folder, const std::vector<Plane>& planes, int depth, const std::vector<Panel>& panels) {
    for (const Panel& panel : panels)
        for (int p = 0; p < 4; ++p) {
            const fs::path tiles = folder / ("Tile_" + panel.id);
            const fs::path file = tiles / ("SitePlan_" + panel.id + "_" + panel.strip + "_" + kColourIds[p] + ".tif");
            SCOPED_TRACE(file.string());
            const ReadImage image = readTiff(file);
            ASSERT_EQ(image.width, panel.width);
            ASSERT_EQ(image.height, panel.height);
            EXPECT_EQ(image.bitsPerSample, static_cast<uint32_t>(depth));
            for (uint32_t y = 0; y < panel.height; ++y)
                for (uint32_t x = 0; x < panel.width; ++x)
                    ASSERT_EQ(pixelOf(image.rows[y], x, depth), planes[p].empty() ? 0 : planes[p][panel.y + y][panel.x + x])
                        << "at " << x << "," << y;
            pugi::xml_document ticket;
            EXPECT_TRUE(ticket.load_file((tiles / ("Ticket_" + panel.id + "_" + panel.strip + ".xml")).c_str()));
            EXPECT_TRUE(ticket.child("KipJobTicket"));
        }
}

// What the job ticket must say besides the coverage.
struct TicketValues {
    std::string copies, fileName, resolution;
};

class EndToEnd : public HostProgramTest {
protected:
    EndToEnd() { base_.copySamples(); }

    // make-job "job.job" with args for model "KIP 870 Color", then print into "out"; both must exit
    // with 0. Returns the one job folder that the driver made in "out".
    fs::path makeAndPrint(const std::vector<std::string>& args) {
        std::vector<std::string> makeArgs = {"-m", "KIP 870 Color", "-o", "job.job"};
        makeArgs.insert(makeArgs.end(), args.begin(), args.end());
        const ProgramRun made = zukip("make-job", makeArgs);
        EXPECT_EQ(made.status, 0) << made.err;
        const ProgramRun printed = zukip("print", {"-o", "out", "job.job"});
        EXPECT_EQ(printed.status, 0) << printed.err << printed.out;
        std::vector<fs::path> folders;
        for (const auto& entry : fs::directory_iterator(work() / "out")) folders.push_back(entry.path());
        EXPECT_EQ(folders.size(), 1u);
        return folders.empty() ? work() / "out" : folders[0];
    }

    // The job folder holds exactly the four separations of page 1 and the job's other files; each
    // separation equals its input plane pixel by pixel, and the job ticket carries expected and the
    // coverage of the ink read back from the separations.
    static void expectJobFolder(const fs::path& folder, const std::vector<Plane>& planes, int depth,
                                const TicketValues& expected) {
        const std::string name = folder.filename().string();
        // The folder takes the document's base name (no extension, no spaces), the
        // separations its stem (spaces kept); both the job's unique number.
        ASSERT_TRUE(std::regex_match(name, std::regex("SitePlan_[0-9]{5}"))) << name;
        const std::string uniq = name.substr(name.size() - 5), stem = "Site Plan_" + uniq + "_1_";
        std::vector<std::string> files = {"Accounting.txt", "Finish.txt", "JobTicket.xml", "thumb_" + uniq + ".bmp"};
        for (const char* id : kColourIds) files.push_back(stem + id + ".tif");
        std::sort(files.begin(), files.end());
        EXPECT_EQ(fileNames(folder), files);

        const auto width = static_cast<uint32_t>(planes[0][0].size()), height = static_cast<uint32_t>(planes[0].size());
        double coverage[4] = {};
        for (int p = 0; p < 4; ++p) {
            SCOPED_TRACE(kColours[p]);
            const fs::path file = folder / (stem + kColourIds[p] + ".tif");
            const ReadImage image = readTiff(file);
            ASSERT_EQ(image.width, width);
            ASSERT_EQ(image.height, height);
            ASSERT_EQ(image.rows.size(), height);
            EXPECT_EQ(image.bitsPerSample, static_cast<uint32_t>(depth));
            EXPECT_EQ(image.samplesPerPixel, 1u);
            EXPECT_EQ(tiffNumber(file, TIFFTAG_COMPRESSION), uint32_t{COMPRESSION_PACKBITS});
            EXPECT_EQ(tiffNumber(file, TIFFTAG_PHOTOMETRIC), uint32_t{PHOTOMETRIC_MINISWHITE});   // values are ink
            double ink = 0;
            for (uint32_t y = 0; y < height; ++y)
                for (uint32_t x = 0; x < width; ++x) {
                    const uint8_t value = pixelOf(image.rows[y], x, depth);
                    ASSERT_EQ(value, planes[p][y][x]) << "at " << x << "," << y;
                    ink += inkOf(value, depth);
                }
            coverage[p] = ink * 100.0 / (width * height);
        }
        expectTicket(folder / "JobTicket.xml", name, coverage, expected);
    }

    static void expectTicket(const fs::path& path, const std::string& folderName, const double (&coverage)[4],
                             const TicketValues& expected) {
        pugi::xml_document doc;
        ASSERT_TRUE(doc.load_file(path.c_str())) << readFile(path);
        const pugi::xml_node ticket = doc.child("KipJobTicket");
        EXPECT_STREQ(ticket.child("Print").child("Copies").text().get(), expected.copies.c_str());
        EXPECT_STREQ(ticket.child("Print").child("Resolution").text().get(), expected.resolution.c_str());
        EXPECT_STREQ(ticket.child("Document").child("FileName").text().get(), expected.fileName.c_str());
        EXPECT_STREQ(ticket.child("Document").child("Folder").text().get(), folderName.c_str());
        double all = 0;
        for (int p = 0; p < 4; ++p) {
            EXPECT_EQ(ticket.child("Coverage").child_value(kColours[p]), percent(coverage[p])) << kColours[p];
            all += coverage[p];
        }
        EXPECT_EQ(ticket.child("Coverage").child_value("All"), percent(all));
    }
};

}  // namespace

TEST_F(EndToEnd, EightBitCmykTiffComesBackPlaneByPlaneWithItsTicket) {
    const std::vector<Plane> planes = writeCmykTiff(work() / "site.tif", 45, 13);
    const fs::path folder = makeAndPrint(
        {"-c", "CMYK (8 bits)", "-r", "600", "-d", "Site Plan.pdf", "-O", "copies=3", "site.tif"});
    expectJobFolder(folder, planes, 8, {"3", "Site Plan.pdf", "600"});
}

TEST_F(EndToEnd, OneBitSeparationsComeBackBitByBitWithTheirTicket) {
    const uint32_t w = 45, h = 11;
    const std::vector<Plane> planes = {
        makePlane(w, h, [](uint32_t x, uint32_t) { return uint8_t(x % 3 == 0); }),
        makePlane(w, h, [](uint32_t x, uint32_t y) { return uint8_t((x + y) % 5 < 2); }),
        makePlane(w, h, [](uint32_t x, uint32_t y) { return uint8_t(y % 2 == 0 && x > 10); }),
        makePlane(w, h, [](uint32_t x, uint32_t y) { return uint8_t(x >= 40 || x == y); }),
    };
    std::string separations;
    for (int p = 0; p < 4; ++p) {
        const std::string file = std::string(kColourIds[p]) + ".tif";
        writeBitTiff(work() / file, planes[p]);
        separations += (p ? "," : "") + std::string(kColours[p]) + "=" + file;
    }

    const fs::path folder = makeAndPrint({"-c", "CMYK", "-d", "Site Plan.pdf", separations});
    expectJobFolder(folder, planes, 1, {"1", "Site Plan.pdf", "300"});
}

TEST_F(EndToEnd, PosterPanelsComeBackTileByTileWithATicketEach) {
    const std::vector<Plane> planes = writeCmykTiff(work() / "site.tif", 45, 13);
    const fs::path folder = makeAndPrint({"-c", "CMYK (8 bits)", "-d", "Site Plan.pdf", "--tiles", "2x2", "site.tif"});
    // Panels 1 to 4 are tile ids B to E of the model's list, columns 1 and 2 its strip ids 2 and 3;
    // the last column and row take the remainder of 45 x 13.
    expectTiles(folder, planes, 8,
                {{"B", "2", 0, 0, 22, 6}, {"C", "3", 22, 0, 23, 6}, {"D", "2", 0, 6, 22, 7}, {"E", "3", 22, 6, 23, 7}});
    // The page folder the model asks for ends as the output folder of the job's own files.
    EXPECT_EQ(fileNames(folder / "SitePlan_Page_1"),
              (std::vector<std::string>{"Accounting.txt", "Finish.txt", "JobTicket.xml"}));
}

TEST_F(EndToEnd, PosterColoursWithoutAPlaneGetBlankTilesOfEachPanel) {
    const uint32_t w = 45, h = 11;
    std::vector<Plane> planes(4);
    planes[0] = makePlane(w, h, [](uint32_t x, uint32_t y) { return uint8_t((x + y) % 3 == 0); });
    planes[3] = makePlane(w, h, [](uint32_t x, uint32_t y) { return uint8_t(x == y || x > 40); });
    for (int p : {0, 3}) writeBitTiff(work() / (std::string(kColourIds[p]) + ".tif"), planes[p]);
    const fs::path folder =
        makeAndPrint({"-c", "CMYK", "-d", "Site Plan.pdf", "--tiles", "3x1", "Cyan=C.tif,Black=K.tif"});
    expectTiles(folder, planes, 1, {{"B", "2", 0, 0, 15, 11}, {"C", "3", 15, 0, 15, 11}, {"D", "4", 30, 0, 15, 11}});
}
