#include "KipHost.h"

#include <cstdlib>

KipTestJob::KipTestJob(const fs::path& folder, const std::string& model, int colorMode) : TestJob(folder, "J42.job") {
    SetJobHeaderText(header.modelName, model.c_str());
    header.colorMode = static_cast<int16_t>(colorMode);
}

void KipTestJob::requestTiles(int tilingKind) {
    request.tilingKind = tilingKind;
    request.tileCount = static_cast<int32_t>(tileIds.size());
    request.tileIDs = tileIds.data();
    request.tileStripIDs = stripIds.data();
    request.tilePageNumbers = pageNumbers.data();
}

void expectSeparation(const fs::path& path, const KipTestJob& job, int page, int tile, int plane) {
    const TestPage& p = job.pages[static_cast<size_t>(page)];
    const TestTile size = imagesOf(p)[static_cast<size_t>(tile)];
    const ReadImage image = readTiff(path);
    ASSERT_EQ(image.width, static_cast<uint32_t>(size.width)) << path;
    ASSERT_EQ(image.height, static_cast<uint32_t>(size.height)) << path;
    EXPECT_EQ(image.bitsPerSample, static_cast<uint32_t>(p.planes[static_cast<size_t>(plane)].depth)) << path;
    for (int r = 0; r < size.height; ++r)
        EXPECT_EQ(image.rows[static_cast<size_t>(r)], job.writtenLine(page, tile, plane, r)) << path << " row " << r;
}

void installKipModel(const fs::path& base, const KipModel& attributes) {
    const fs::path path = base / "OutputDrivers" / "KIP870Color.xml";
    std::string text = readFile(path);
    ASSERT_NE(text.find("<Root>"), std::string::npos) << path;
    std::string model = "<Root>\n  <Model Name=\"" + kKipModel + "\"";
    for (const auto& [name, value] : attributes) model += " " + name + "=\"" + value + "\"";
    text.replace(text.find("<Root>"), 6, model + "/>");
    writeBytes(path, std::vector<unsigned char>(text.begin(), text.end()));
}

namespace {
KipModel changed(KipModel model, const KipModel& changes) {
    for (const auto& [key, value] : changes) model[key] = value;
    return model;
}
}  // namespace

KipModel kipJobModel(const KipModel& changes) {
    return changed({{"FolderName", "KIP_filename_uniqID"},   {"OutputName", "filename_pageID_colorID.tif"},
                    {"uniqID", "%05d"},                       {"ThumbnailName", "thumb_uniqID.bmp"},
                    {"JobTicketTemplate", "JobTicket.xml"},   {"JobTicketFileName", "JobTicket.xml"},
                    {"AccountingTemplate", "Accounting.txt"}, {"AccountingFileName", "Accounting.txt"},
                    {"FinishFile", "Finish.txt"},             {"TileSeparate", "No"}},
                   changes);
}

KipModel kipTileModel(const KipModel& changes) {
    return changed({{"CreateFolder", "No"},       {"TileSeparate", "YES"},
                    {"TileName", "filename_tileID_colorID.tif"},
                    {"JobTicketForTile", "YES"},  {"JobTicketTileName", "T_tileID.xml"},
                    {"JobTicketTemplate", "JobTicket.xml"}, {"JobTicketFileName", "JobTicket.xml"},
                    {"OutputName", "filename_pageID_colorID.tif"}},
                   changes);
}

JobRun runJob(ABasePrinterDriver& driver, KipTestJob& job, const std::optional<std::string>& outputFolder,
              const std::string& documentName) {
    static NullPort port;
    JobRun run;
    run.opened = driver.openJob(&job.request, &port);
    if (run.opened) {
        if (outputFolder)
            driver.setOutputName(outputFolder->c_str(), reinterpret_cast<intptr_t>(documentName.c_str()));
        const int steps = stepJob(driver, job.request);
        run.steps = std::abs(steps);
        run.failedSteps = steps < 0 ? 1 : 0;
    }
    run.ended = job.request.portCode == -1;
    return run;
}

void expectWhole(const JobRun& run) {
    EXPECT_EQ(run.opened, 1);
    EXPECT_EQ(run.failedSteps, 0);
    EXPECT_TRUE(run.ended);
}

std::unique_ptr<ABasePrinterDriver> KipModuleTest::newDriver() const {
    return std::unique_ptr<ABasePrinterDriver>(module.createDriver ? module.createDriver() : nullptr);
}

JobRun KipModuleTest::run(KipTestJob& job, const std::string& document, const fs::path& folder,
                          ABasePrinterDriver* driver) const {
    const std::unique_ptr<ABasePrinterDriver> own = driver ? nullptr : newDriver();
    if (!driver && !own) {
        ADD_FAILURE() << "The module gave no driver";
        return {};
    }
    return runJob(driver ? *driver : *own, job, (folder.empty() ? output : folder).string(), document);
}
