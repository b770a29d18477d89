// Jobs through the module as a host runs them; the separations read back with
// libtiff (or as raw BMP) and compared with the job's planes.
#include "KipHost.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>

namespace {
constexpr int kCmyk = 0;
constexpr int kCmyk8 = 1;
constexpr int kGray8 = 3;

std::map<std::string, std::string> pagedModel() {
    return {{"FolderName", "filename_uniqID"}, {"OutputName", "filename_pageID_colorID.tif"},
            {"JobTicketTemplate", "JobTicket.xml"}, {"JobTicketFileName", "JobTicket.xml"}, {"TileSeparate", "No"}};
}

std::vector<TestPlane> planes(std::initializer_list<const char*> names, int depth) {
    std::vector<TestPlane> result;
    for (const char* name : names) result.push_back({name, depth});
    return result;
}

using KipSeparations = KipModuleTest;

// The directory and its values lie between the header and the image data.
void expectDirectoryAtFront(const fs::path& file) {
    const RawTiff raw = readRawTiff(file);
    ASSERT_GE(raw.bytes.size(), 8u);
    EXPECT_EQ(littleEndian(raw.bytes, 0, 2), 0x4949u);
    uint32_t lowestValue = raw.ifdOffset;
    for (const auto& [tag, entry] : raw.entries) {
        static const uint32_t kTypeSize[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
        const uint32_t size = entry.type < 13 ? kTypeSize[entry.type] * entry.count : 0;
        if (size > 4) {
            EXPECT_GE(entry.value, 8u) << "tag " << tag;
            EXPECT_LE(entry.value + size, raw.ifdOffset) << "tag " << tag;
            lowestValue = std::min(lowestValue, entry.value);
        }
    }
    const uint32_t stripOffset = raw.entries.at(273).value, stripBytes = raw.entries.at(279).value;
    EXPECT_EQ(lowestValue, 8u) << "the values follow the header";
    EXPECT_EQ(stripOffset, raw.ifdOffset + raw.ifdLength()) << "the data follows the directory";
    EXPECT_EQ((stripOffset + stripBytes + 1) / 2 * 2, raw.bytes.size()) << "the data ends the file (word-aligned)";
}
}  // namespace

TEST_F(KipSeparations, OneTiffPerSeparationAndPageWithTheTagListAndTheDirectoryFirst) {
    KipTestJob job(base.path(), kKipModel, kCmyk);
    // Rows of 2001 pixels end inside a byte.
    job.write({{2001, 3, planes({"Cyan", "Magenta", "Yellow", "Black"}, 1)},
               {2001, 3, planes({"Cyan", "Magenta", "Yellow", "Black"}, 1)}});
    installKipModel(base.path(), pagedModel());
    expectWhole(run(job));

    // The ticket and the eight separations read back below.
    const fs::path folder = output / "plan_1", file = folder / "plan_1_Magenta.tif";
    EXPECT_EQ(fileNames(folder).size(), 9u);
    const std::pair<uint16_t, uint32_t> numbers[] = {{TIFFTAG_COMPRESSION, COMPRESSION_PACKBITS}, {TIFFTAG_THRESHHOLDING, 2},
                                                     {TIFFTAG_FILLORDER, 1}, {TIFFTAG_ORIENTATION, 1}, {TIFFTAG_ROWSPERSTRIP, 3}};
    for (const auto& [tag, value] : numbers) EXPECT_EQ(tiffNumber(file, tag), value) << "tag " << tag;
    const std::pair<uint16_t, const char*> texts[] = {{TIFFTAG_PAGENAME, "page__test"}, {TIFFTAG_SOFTWARE, "Qel"}, {TIFFTAG_DATETIME, "2011"}};
    for (const auto& [tag, text] : texts) EXPECT_EQ(tiffText(file, tag), text) << "tag " << tag;
    expectDirectoryAtFront(file);
    // Every separation of every page equals the job's plane, row by row.
    for (int p = 0; p < 2; ++p) {
        for (int k = 0; k < 4; ++k) {
            const std::string& colour = job.pages[0].planes[static_cast<size_t>(k)].name;
            expectSeparation(folder / ("plan_" + std::to_string(p + 1) + "_" + colour + ".tif"), job, p, 0, k);
        }
    }
}

TEST_F(KipSeparations, ThirtyTwoBitFileInterleavesThePlanesByColourNameAndAnswersFourRoundScreens) {
    installKipModel(base.path(), pagedModel());
    KipTestJob job(base.path(), kKipModel, kCmyk8);
    job.options().create32BitFile = 1;
    job.options().invertOutput = 1;   // inverted, so that every byte shows where it went
    // Planes in another order than the channels: each goes to its colour's channel.
    job.write({{6, 3, planes({"Black", "Cyan", "Magenta", "Yellow"}, 8)},
               {6, 3, planes({"Black", "Cyan", "Magenta", "Yellow"}, 8)}});
    const auto driver = newDriver();
    ScreenTable table{};
    table.count = 77;
    EXPECT_EQ(driver->getScreeningTable(&table, nullptr), 1);
    EXPECT_EQ(table.count, 77) << "outside a combined page the table is left as given";
    expectWhole(run(job, "plan.pdf", {}, driver.get()));

    EXPECT_EQ(driver->getScreeningTable(&table, nullptr), 1);
    ASSERT_EQ(table.count, 4);
    const struct { const char* color; float angle; } screens[] = {{"Cyan", 15}, {"Magenta", 75}, {"Yellow", 90}, {"Black", 45}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_STREQ(table.entries[i].colorName, screens[i].color);
        EXPECT_STREQ(table.entries[i].shape, "Round");
        EXPECT_EQ(table.entries[i].frequency, 60.0f);
        EXPECT_EQ(table.entries[i].angle, screens[i].angle);
    }

    const fs::path folder = output / "plan_1";
    EXPECT_EQ(fileNames(folder), (std::vector<std::string>{"JobTicket.xml", "plan_1_.tif", "plan_2_.tif"}));
    for (int p = 0; p < 2; ++p) {
        const ReadImage image = readTiff(folder / ("plan_" + std::to_string(p + 1) + "_.tif"));
        ASSERT_EQ(image.samplesPerPixel, 4u);
        ASSERT_EQ(image.bitsPerSample, 8u);
        ASSERT_EQ(image.rows.size(), 3u);
        for (int r = 0; r < 3; ++r) {
            std::vector<uint8_t> expected(4 * 6);
            // Channels C, M, Y, K from planes 1, 2, 3, 0.
            for (int c = 0; c < 4; ++c) {
                const auto line = job.lines(p, (c + 1) % 4, r, 8, 6);
                for (int i = 0; i < 6; ++i) expected[4 * i + c] = static_cast<uint8_t>(~line[i]);
            }
            EXPECT_EQ(image.rows[r], expected) << "page " << p << " row " << r;
        }
    }
}

TEST_F(KipSeparations, BmpSeparationsReadBackUprightAndPixelIdentical) {
    // The samples' own model, whose ".tif" names take the BMP extension; its colour ids C and K name the files.
    const struct {
        const char* what;
        int colorMode;
        TestPage page;
        bool invert;
    } cases[] = {
        // Colour mode 2 prints Black first: the shorter Cyan lines come into a buffer that held Black's.
        {"2 and 1 bits", 2, {13, 3, {{"Black", 2}, {"Cyan", 1}}}, false},
        {"8 bits inverted", kGray8, {10, 3, planes({"Black"}, 8)}, true},
    };
    int number = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        KipTestJob job(base.path(), kKipModel, c.colorMode);
        job.options().fileType = 1;
        job.options().create32BitFile = 1;   // BMP output never combines
        job.options().invertOutput = c.invert;
        job.write({c.page});
        expectWhole(run(job));
        const fs::path folder = output / ("plan_0000" + std::to_string(++number));
        for (size_t k = 0; k < c.page.planes.size(); ++k) {
            const TestPlane& plane = c.page.planes[k];
            const std::string name = folder.filename().string() + "_1_" + (plane.name == "Black" ? "K" : "C");
            const ReadImage image = readBmp(folder / (name + ".bmp"));
            ASSERT_EQ(image.width, static_cast<uint32_t>(c.page.width)) << name;
            ASSERT_EQ(image.rows.size(), static_cast<size_t>(c.page.height)) << name;
            for (int r = 0; r < c.page.height; ++r) {
                std::vector<uint8_t> line = job.lines(0, static_cast<int>(k), r, plane.depth, c.page.width);
                if (c.invert)
                    for (uint8_t& b : line) b = static_cast<uint8_t>(~b);
                EXPECT_EQ(image.rows[r], unpackPixels(line, plane.depth, image.width)) << name << " row " << r;
            }
        }
    }
}

TEST_F(KipSeparations, WithoutDescriptionTheBuiltInModesWriteAndCmyOrAModeTheDescriptionLacksIsRefused) {
    KipTestJob job(base.path(), "Plotter 9", kCmyk);
    job.write({{16, 2, planes({"Cyan", "Magenta", "Yellow", "Black"}, 1)}});
    expectWhole(run(job));
    // The engine's own names: folder "filenameuniqID", images "filename_uniqID_colorID.tif".
    EXPECT_EQ(fileNames(output / "plan1"),
              (std::vector<std::string>{"JobTicket.xml", "plan_1_Black.tif", "plan_1_Cyan.tif", "plan_1_Magenta.tif",
                                        "plan_1_Yellow.tif"}));

    KipTestJob cmy(base.path(), "Plotter 9", 1);
    cmy.write({{16, 2, planes({"Cyan", "Magenta", "Yellow"}, 1)}});
    const JobRun refused = run(cmy);
    EXPECT_EQ(refused.opened, 0);
    EXPECT_TRUE(refused.ended);

    // A described model without colour mode 7: refused before anything is written.
    installKipModel(base.path(), pagedModel());
    KipTestJob gray(base.path(), kKipModel, 7);
    gray.write({{16, 2, planes({"Black"}, 8)}});
    const fs::path other = base.path() / "other";
    const JobRun lacking = run(gray, "plan.pdf", other);
    EXPECT_EQ(lacking.opened, 0);
    EXPECT_TRUE(lacking.ended);
    EXPECT_FALSE(fs::exists(other));
}
