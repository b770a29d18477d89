// zukip end to end over the sample base folder: an 8-bit CMYK image made here
// becomes a job (make-job), the job is printed through the dlopen'ed module
// (print), and the job folder is read back: every separation with libtiff
// against its input plane, the job ticket with pugixml against the job's
// values and the ink that the separations actually hold; posters tile by
// tile, blank tiles for colours without a plane. The driver's 1-bit
// separations are read back in tests/kip. Then what users choose at print
// time: an image printed without a job of one's own, and the medium, copies
// and options of one print.
#include "HostProgramFixture.h"
#include "ImageReadBack.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <regex>

namespace fs = std::filesystem;

namespace {

// One separation's pixels: rows of values 0..255.
using Plane = std::vector<std::vector<uint8_t>>;

// The colours of "KIP 870 Color" in plane order, with the colour ids of its file names.
const char* const kColours[4] = {"Cyan", "Magenta", "Yellow", "Black"};
const char* const kColourIds[4] = {"C", "M", "Y", "K"};
const uint32_t kWidth = 45, kHeight = 13;

// The planes of a 45 x 13 CMYK image, written interleaved as the 8-bit TIFF at path.
std::vector<Plane> writeCmykTiff(const fs::path& path) {
    std::vector<Plane> planes(4, Plane(kHeight, std::vector<uint8_t>(kWidth)));
    std::vector<uint8_t> cmyk;
    for (uint32_t y = 0; y < kHeight; ++y)
        for (uint32_t x = 0; x < kWidth; ++x) {
            planes[0][y][x] = uint8_t(x * 255 / (kWidth - 1));
            planes[1][y][x] = uint8_t(255 - y * 255 / (kHeight - 1));
            planes[2][y][x] = uint8_t((x / 3 + y / 2) % 2 ? 128 : 1);
            planes[3][y][x] = uint8_t(x * 7 + y * 31);
            for (const Plane& plane : planes) cmyk.push_back(plane[y][x]);
        }
    writeTiff(path, {{kWidth, kHeight, 4, 8, PHOTOMETRIC_SEPARATED, cmyk}});
    return planes;
}

// The separation in file is the part of plane at (x0, y0) of size w x h, 8-bit, PackBits-compressed with
// values as ink; ink (when given) receives the ink it holds as the driver counts it, (b * 100 / 255) / 100.0
// a pixel.
void expectSeparation(const fs::path& file, const Plane& plane, uint32_t x0, uint32_t y0, uint32_t w, uint32_t h,
                      double* ink = nullptr) {
    SCOPED_TRACE(file.string());
    const ReadImage image = readTiff(file);
    ASSERT_EQ(image.width, w);
    ASSERT_EQ(image.height, h);
    ASSERT_EQ(image.rows.size(), h);
    EXPECT_EQ(image.bitsPerSample, 8u);
    EXPECT_EQ(image.samplesPerPixel, 1u);
    EXPECT_EQ(tiffNumber(file, TIFFTAG_COMPRESSION), uint32_t{COMPRESSION_PACKBITS});
    EXPECT_EQ(tiffNumber(file, TIFFTAG_PHOTOMETRIC), uint32_t{PHOTOMETRIC_MINISWHITE});   // values are ink
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            ASSERT_EQ(image.rows[y][x], plane[y0 + y][x0 + x]) << "at " << x << "," << y;
            if (ink) *ink += (image.rows[y][x] * 100 / 255) / 100.0;
        }
}

// The sample base folder, with roll 1 holding medium 7 as read from the printer, and a grey image in.tif.
class EndToEnd : public HostProgramTest {
protected:
    EndToEnd() {
        base_.write("OutputDrivers/KIP/KipUnattend.dat", "Roll1Media={7}\r\nCustomMedia7=Glossy~Photo\r\n");
        writeTiff(work() / "in.tif", {{16, 8, 1, 8, PHOTOMETRIC_MINISWHITE, std::vector<uint8_t>(16 * 8, 200)}});
    }

    // make-job with args for the default model "KIP 870 Color"; it must exit with 0.
    void makeJob(const std::vector<std::string>& args) const {
        const ProgramRun made = zukip("make-job", args);
        EXPECT_EQ(made.status, 0) << made.err;
    }

    // print with args into a fresh folder "out"; it must exit with 0. Returns the one job folder the driver
    // made there, and its job ticket in ticket.
    fs::path print(std::vector<std::string> args, pugi::xml_document* ticket = nullptr, ProgramRun* run = nullptr) const {
        fs::remove_all(work() / "out");
        args.insert(args.begin(), {"-o", "out"});
        const ProgramRun printed = zukip("print", args);
        EXPECT_EQ(printed.status, 0) << printed.err << printed.out;
        if (run) *run = printed;
        std::vector<fs::path> folders;
        for (const auto& entry : fs::directory_iterator(work() / "out")) folders.push_back(entry.path());
        EXPECT_EQ(folders.size(), 1u);
        const fs::path folder = folders.empty() ? work() / "out" : folders[0];
        if (ticket && !ticket->load_file((folder / "JobTicket.xml").c_str())) ADD_FAILURE() << folder;
        return folder;
    }

    static std::string ticketValue(const pugi::xml_document& ticket, const char* section, const char* name) {
        return ticket.child("KipJobTicket").child(section).child_value(name);
    }
};

}  // namespace

TEST_F(EndToEnd, EightBitCmykTiffComesBackPlaneByPlaneWithItsTicket) {
    const std::vector<Plane> planes = writeCmykTiff(work() / "site.tif");
    makeJob({"-c", "CMYK (8 bits)", "-d", "Site Plan.pdf", "-o", "job.job", "-r", "600", "-O", "copies=3", "site.tif"});
    pugi::xml_document ticket;
    ProgramRun run;
    const fs::path folder = print({"job.job"}, &ticket, &run);

    // The job folder holds exactly the four separations of page 1 and the job's other files. The folder
    // takes the document's base name (no extension, no spaces), the separations its stem (spaces kept);
    // both the job's unique number.
    const std::string name = folder.filename().string();
    ASSERT_TRUE(std::regex_match(name, std::regex("SitePlan_[0-9]{5}"))) << name;
    const std::string uniq = name.substr(name.size() - 5), stem = "Site Plan_" + uniq + "_1_";
    std::vector<std::string> files = {"Accounting.txt", "Finish.txt", "JobTicket.xml", "thumb_" + uniq + ".bmp"};
    for (const char* id : kColourIds) files.push_back(stem + id + ".tif");
    std::sort(files.begin(), files.end());
    EXPECT_EQ(fileNames(folder), files);

    // Each separation equals its input plane pixel by pixel; the ticket carries the job's values and the
    // coverage of the ink read back, printed as "%f" like std::to_string. print's summary shows that
    // coverage, finding each colour's one separation by the colour id that ends its name ("_C", "_K").
    EXPECT_NE(run.out.find("Job folder " + folder.string() + "\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\nJob finished.\n"), std::string::npos) << run.out;
    EXPECT_EQ(ticketValue(ticket, "Print", "Copies"), "3");
    EXPECT_EQ(ticketValue(ticket, "Print", "Resolution"), "600");
    EXPECT_EQ(ticketValue(ticket, "Document", "FileName"), "Site Plan.pdf");
    EXPECT_EQ(ticketValue(ticket, "Document", "Folder"), name);
    double all = 0;
    for (int p = 0; p < 4; ++p) {
        double ink = 0;
        expectSeparation(folder / (stem + kColourIds[p] + ".tif"), planes[p], 0, 0, kWidth, kHeight, &ink);
        const double coverage = ink * 100.0 / (kWidth * kHeight);
        EXPECT_EQ(ticketValue(ticket, "Coverage", kColours[p]), std::to_string(coverage)) << kColours[p];
        char shown[16];
        std::snprintf(shown, sizeof shown, "%.2f", coverage);
        const std::regex summaryLine("\n  " + std::string(kColours[p]) + " +" + shown + " % +1\n");
        EXPECT_TRUE(std::regex_search(run.out, summaryLine)) << kColours[p] << " " << shown << "\n" << run.out;
        all += coverage;
    }
    EXPECT_EQ(ticketValue(ticket, "Coverage", "All"), std::to_string(all));
}

TEST_F(EndToEnd, PosterPanelsComeBackTileByTileWithATicketEach) {
    struct Panel {
        std::string id, strip;
        uint32_t x, y, width, height;
    };
    // Each panel's tile of each colour is its part of the colour's plane, with a ticket in its tile folder.
    const auto expectPanels = [](const fs::path& folder, const std::vector<Plane>& planes,
                                 const std::vector<Panel>& panels) {
        for (const Panel& panel : panels) {
            const fs::path tiles = folder / ("Tile_" + panel.id);
            for (int p = 0; p < 4; ++p) {
                const std::string name = "SitePlan_" + panel.id + "_" + panel.strip + "_" + kColourIds[p] + ".tif";
                expectSeparation(tiles / name, planes[p], panel.x, panel.y, panel.width, panel.height);
            }
            pugi::xml_document ticket;
            EXPECT_TRUE(ticket.load_file((tiles / ("Ticket_" + panel.id + "_" + panel.strip + ".xml")).c_str()));
            EXPECT_TRUE(ticket.child("KipJobTicket"));
        }
    };
    std::vector<Plane> planes = writeCmykTiff(work() / "site.tif");
    makeJob({"-c", "CMYK (8 bits)", "-d", "Site Plan.pdf", "-o", "job.job", "--tiles", "2x2", "site.tif"});
    const fs::path folder = print({"job.job"});
    // Panels 1 to 4 are tile ids B to E of the model's list, columns 1 and 2 its strip ids 2 and 3;
    // the last column and row take the remainder of 45 x 13.
    expectPanels(folder, planes,
                 {{"B", "2", 0, 0, 22, 6}, {"C", "3", 22, 0, 23, 6}, {"D", "2", 0, 6, 22, 7}, {"E", "3", 22, 6, 23, 7}});
    // The page folder the model asks for ends as the output folder of the job's own files.
    EXPECT_EQ(fileNames(folder / "SitePlan_Page_1"),
              (std::vector<std::string>{"Accounting.txt", "Finish.txt", "JobTicket.xml"}));

    // Cyan and Black given as separations (grey values as ink); Magenta and Yellow have no plane, so every
    // panel gets blank tiles of them.
    for (int p : {0, 3}) {
        std::vector<uint8_t> values;
        for (const std::vector<uint8_t>& row : planes[p]) values.insert(values.end(), row.begin(), row.end());
        writeTiff(work() / (std::string(kColourIds[p]) + ".tif"),
                  {{kWidth, kHeight, 1, 8, PHOTOMETRIC_MINISWHITE, values}});
    }
    planes[1] = planes[2] = Plane(kHeight, std::vector<uint8_t>(kWidth, 0));
    makeJob({"-c", "CMYK (8 bits)", "-d", "Site Plan.pdf", "-o", "job.job", "--tiles", "3x1", "Cyan=C.tif,Black=K.tif"});
    expectPanels(print({"job.job"}), planes,
                 {{"B", "2", 0, 0, 15, 13}, {"C", "3", 15, 0, 15, 13}, {"D", "4", 30, 0, 15, 13}});
}

TEST_F(EndToEnd, PrintingAnImageMakesItsJobOnTheFlyAndLeavesNoneBehind) {
    fs::create_directories(work() / "tmp");
    setenv("TMPDIR", (work() / "tmp").c_str(), 1);
    pugi::xml_document ticket;
    print({"in.tif"}, &ticket);
    unsetenv("TMPDIR");
    EXPECT_EQ(ticketValue(ticket, "Document", "FileName"), "in.tif");
    EXPECT_TRUE(fs::is_empty(work() / "tmp"));
    for (const auto& entry : fs::directory_iterator(work())) EXPECT_NE(entry.path().extension(), ".job");
}

TEST_F(EndToEnd, MediumCopiesAndOptionsReachTheTicketOnlyForThisPrint) {
    makeJob({"-o", "j.job", "in.tif"});
    const std::string header = readFile(work() / "j.job");

    ProgramRun run;
    pugi::xml_document ticket;
    print({"--json", "--media", "glossy - photo", "--copies", "3", "-O", "image-enhancement=Weaker", "j.job"}, &ticket,
          &run);
    EXPECT_EQ(ticketValue(ticket, "Media", "Id"), "6");
    EXPECT_EQ(ticketValue(ticket, "Media", "Name"), "Glossy - Photo");
    EXPECT_EQ(ticketValue(ticket, "Print", "Copies"), "3");
    EXPECT_EQ(ticketValue(ticket, "Print", "ImageEnhancement"), "3");
    EXPECT_EQ(run.out.rfind("{\"input\":\"j.job\",\"model\":\"KIP 870 Color\",\"media\":{\"id\":7,\"name\":"
                            "\"Glossy - Photo\"}", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("\"state\":\"finished\""), std::string::npos) << run.out;
    EXPECT_EQ(readFile(work() / "j.job"), header) << "the job itself keeps its options";
}

TEST_F(EndToEnd, QueryListsWhatThePrinterOffersAlsoAsJson) {
    const ProgramRun run = zukip("query", {"-m", "KIP 870 Color", "--media", "0"});
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* text : {"Colour modes of \"KIP 870 Color\"", "CMYK (8 bits)", "Media rolls", "Glossy - Photo",
                             "Media of \"KIP 870 Color\"", "Backlit Film", "Default medium: 0",
                             "Print modes on medium 0 \"Plain Bond\"", "High Quality", "Resolutions for medium 0",
                             "300 x 300 dpi", "Screening for colour mode", "Dither table for colour mode"})
        EXPECT_NE(run.out.find(text), std::string::npos) << text << "\n" << run.out;
    const ProgramRun json = zukip("query", {"-m", "KIP 870 Color", "--json", "print-modes"});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_NE(json.out.find("\"rows\":[{\"ID\":\"0\",\"Name\":\"Standard\",\"Internal name\":\"Standard\","
                            "\"Default\":\"yes\"}"), std::string::npos) << json.out;
}
