#pragma once
// One tile of a tiled page, as the KIP engine records it on the job's first
// tiled page: the end of every tiled page completes missing colours by these.
#include <cstdint>

struct TileRecord {
    int32_t page = 0;      // the page it was recorded on (first page 0)
    int32_t stripID = 0;   // from the job request; 0 when the request has none for it
    int32_t tileID = 0;
    double width = 0;      // pixels
    double height = 0;     // rows
};
