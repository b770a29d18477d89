#pragma once
// Writes a raster job file (docs/raster-format.md) that ZUJob reads.
//
// Call order:
//   Create(path)
//   for each page:
//     BeginPage(w, h)              or  BeginTiledPage(w, h)
//     AddPlane(...) per plane          AddPlane(...) per plane
//     WriteLine(...) per line          for each tile: BeginTile(tw, th), WriteLine(...) per line
//     EndPage()                        EndPage()
//   Finish()
//
// Lines of one image (the page image or one tile) may come in any order,
// plane after plane or every plane per line, but each line of each plane
// exactly once before the image ends. Each plane's packed lines are gathered
// in a chunk of up to 1 MiB before they go to the file, so that a plane's
// lines lie together however they come and a reader taking a plane's lines in
// turn reads its file in long runs. Besides those chunks, only the line index
// of the open image (16 bytes per line and plane) is held in memory.
//
// The file is written under "<path>.part" and renamed to `path` by Finish.
// The first failure (bad size, wrong order, disk full) is kept in GetError(),
// removes the partial file and makes every later call return false.
#include "AString.h"

#include <cstddef>
#include <cstdint>
#include <memory>

class ZURasterWriter {
public:
    ZURasterWriter();
    ~ZURasterWriter();   // an unfinished file is removed
    ZURasterWriter(const ZURasterWriter&) = delete;
    ZURasterWriter& operator=(const ZURasterWriter&) = delete;

    bool Create(const char* path);                 // starts "<path>.part"; false if it cannot be created
    bool BeginPage(int width, int height);         // a page of one image; false if sizes exceed the format's caps
    bool BeginTiledPage(int width, int height);    // a page made of tiles; width and height describe the whole page
    // Adds the next plane to the open page (before its first line or tile); depth 1, 2 or 8 bits per pixel.
    bool AddPlane(const char* displayName, const char* internalName, int depth);
    bool BeginTile(int width, int height);         // ends the previous tile (all its lines written) and opens the next
    // Stores line `line` of plane `plane` of the open image: the first (depth * width + 7) / 8 bytes of
    // data (size may be larger); bits past the width are stored as 0. False if out of range, repeated or short.
    bool WriteLine(int plane, int line, const uint8_t* data, size_t size);
    bool EndPage();                                // false if a line of the page is missing
    bool Finish();                                 // writes the page table and renames into place; false on any fault
    const AString& GetError() const;               // the first failure, empty if none

private:
    struct State;
    std::unique_ptr<State> s_;
};
