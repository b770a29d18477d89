#pragma once
// Host-side pieces of the KIP tests: a job for a KIP model, a description
// with a "Model" element installed in a temporary base folder, and the
// separations read back (ImageReadBack.h).
#include "ImageReadBack.h"
#include "TestJob.h"

#include <filesystem>
#include <map>
#include <string>

namespace fs = std::filesystem;

// The model the tests describe; its description file is "OutputDrivers/KIP870Color.xml".
inline const std::string kKipModel = "KIP 870 Color";

// A job for model in colorMode, with the shared test job's other values, in folder/J42.job.
struct KipTestJob : TestJob {
    KipTestJob(const fs::path& folder, const std::string& model, int colorMode);

    // Describes tiles in the request: tilingKind and, for entry i, tile id, strip id and page number
    // (pageNumbers empty: all 0); tileCount is the number of tile ids.
    void requestTiles(int tilingKind, std::vector<int32_t> tiles, std::vector<int32_t> strips,
                      std::vector<int32_t> folderPages = {});

    std::vector<int32_t> tileIds, stripIds, pageNumbers;   // the lists the request points at
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
