#pragma once
// A host as the KIP tests need it: a job for a KIP model, a description with
// a "Model" element installed in a temporary base folder, the job run the way
// a host runs it (openJob, setOutputName, processJobStep until the port code
// says the job ended), the separations read back (ImageReadBack.h), and the
// fixture of the tests that load the module with dlopen.
#include "ABasePrinterDriver.h"
#include "ImageReadBack.h"
#include "LoadedModule.h"
#include "TempBaseFolder.h"
#include "TestJob.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace fs = std::filesystem;

// The model the tests describe; its description file is "OutputDrivers/KIP870Color.xml".
inline const std::string kKipModel = "KIP 870 Color";

// A job for model in colorMode, with the shared test job's other values, in folder/J42.job.
struct KipTestJob : TestJob {
    KipTestJob(const fs::path& folder, const std::string& model, int colorMode);

    // Describes two tiles in the request with tilingKind: ids 7 and 8, on strips 1 and 2, of page 0.
    void requestTiles(int tilingKind);

    std::vector<int32_t> tileIds{7, 8}, stripIds{1, 2}, pageNumbers{0, 0};   // the lists the request points at
};

// The TIFF at path holds tile `tile` (the whole page when it is not tiled) of plane `plane`
// of page `page` of job, row by row at the plane's depth.
void expectSeparation(const fs::path& path, const KipTestJob& job, int page, int tile, int plane);

using KipModel = std::map<std::string, std::string>;
// Puts a "Model" element for kKipModel with these attributes in front of the sample description's
// models (the first one counts); the samples must have been copied first.
void installKipModel(const fs::path& base, const KipModel& attributes);
// A model whose job leaves every file: folder "KIP_filename_uniqID", separations, thumbnail,
// job ticket, accounting and finish file; changes replace or add attributes.
KipModel kipJobModel(const KipModel& changes = {});
// A model writing tiles named by tile id and colour straight into the output folder, a ticket per tile.
KipModel kipTileModel(const KipModel& changes = {});

// The outcome of one job run.
struct JobRun {
    int opened = 0;
    int steps = 0;
    int failedSteps = 0;
    bool ended = false;   // the port code became -1
};

// Runs job on driver with the output folder and document name given to setOutputName (not called without a folder).
JobRun runJob(ABasePrinterDriver& driver, KipTestJob& job, const std::optional<std::string>& outputFolder,
              const std::string& documentName = "plan.pdf");
// A job that opened and ended without a failed step.
void expectWhole(const JobRun& run);

// Tests through the module: the sample base folder, the module, and "out" in
// the base folder for the jobs' output.
class KipModuleTest : public ::testing::Test {
protected:
    void SetUp() override { base.copySamples(); }

    // A driver from the module's export (null when the module did not load).
    std::unique_ptr<ABasePrinterDriver> newDriver() const;
    // Runs job on driver (a new one when null) into folder (output when empty) for the document name given.
    JobRun run(KipTestJob& job, const std::string& document = "plan.pdf", const fs::path& folder = {},
               ABasePrinterDriver* driver = nullptr) const;
    // The host log of the base folder.
    std::string log() const { return readFile(base.temp() / "ZuKIP.log"); }

    TempBaseFolder base;
    LoadedModule module;
    const fs::path output = base.path() / "out";
};
