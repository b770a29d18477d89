#pragma once
// The tile fields of the host's job request (tilingKind, tileCount and the
// page number, strip id and tile id lists), as make-job stores them in the
// job file behind its 3940-byte header, where the driver never reads. A job
// file that ends with its header describes no tiles.
//
// Block layout, little-endian: "ZKTILES" and a zero byte; tilingKind
// (int32); tileCount n (int32, 2..1024); then n page numbers, n strip ids and
// n tile ids (int32 each). The block ends the file.
#include "HostRecords.h"
#include "TileGrid.h"

#include <cstdint>
#include <string>
#include <vector>

struct TileRequest {
    static constexpr int32_t kPosterTiling = 3;   // the first tilingKind that describes tiles

    // The request of a page cut into panels: tilingKind 3, entry i for tile i:
    // page number i + 1 (the page folder of page i), the panel's column as strip id, its number as tile id.
    static TileRequest forPanels(const std::vector<TilePanel>& panels);
    // The block written after the job file's header.
    std::vector<uint8_t> encode() const;
    // The tiles of the job file at jobPath: none for a file that ends with its header;
    // throws ToolError when the bytes after it are not one whole block.
    static TileRequest read(const std::string& jobPath);
    // Points request's tile fields at this object's lists (which must outlive the job) or clears them.
    void applyTo(JobRequest& request) const;

    bool empty() const { return tileIDs.empty(); }

    int32_t tilingKind = 0;
    std::vector<int32_t> pageNumbers;
    std::vector<int32_t> stripIDs;
    std::vector<int32_t> tileIDs;
};
