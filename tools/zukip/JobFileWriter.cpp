#include "JobFileWriter.h"

#include "FileKind.h"
#include "JobHeader.h"
#include "ThumbnailWriter.h"
#include "TileRequest.h"
#include "ToolError.h"
#include "ZUJob.h"
#include "ZURasterWriter.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Removes the listed files unless commit() was called: a failed make-job leaves nothing behind.
class Cleanup {
public:
    void add(const std::string& path) { paths_.push_back(path); }
    void commit() { paths_.clear(); }
    ~Cleanup() {
        std::error_code ec;
        for (const std::string& p : paths_) fs::remove(p, ec);
    }

private:
    std::vector<std::string> paths_;
};

void checkFolderWritable(const std::string& jobPath) {
    fs::path folder = fs::path(jobPath).parent_path();
    if (folder.empty()) folder = ".";
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        throw ToolError("cannot write job " + jobPath + ": " +
                        (fs::exists(folder, ec) ? folder.string() + " is not a folder"
                                                : "folder " + folder.string() + " does not exist"));
    if (access(folder.c_str(), W_OK) != 0)
        throw ToolError("cannot write job " + jobPath + ": folder " + folder.string() + " is not writable (" +
                        std::strerror(errno) + ")");
    if (fs::is_directory(jobPath, ec)) throw ToolError("cannot write job " + jobPath + ": it is a folder");
}

std::string displayNameOf(const std::string& internal, const std::vector<PlaneNames>& names) {
    for (const PlaneNames& n : names)
        if (n.internalName == internal) return n.displayName;
    return internal;
}

// Rows of the current page held for writing: `height` rows of every plane.
struct Band {
    Band(const RasterPage& page, uint32_t height) : rows(page), pointers(page.planes.size()) {
        for (RasterPlane& plane : rows.planes) plane.data.assign(plane.rowBytes * height, 0);
    }

    // Reads rows [y, y + count) of every plane into the band (from its top), each shown to preview when given.
    void read(PageRows& pages, uint32_t y, uint32_t count, ThumbnailWriter* preview) {
        for (uint32_t i = 0; i < count; ++i) {
            for (size_t p = 0; p < pointers.size(); ++p) pointers[p] = rows.planes[p].row(i);
            pages.readRow(pointers.data());
            if (preview) preview->addRow(y + i, pointers.data());
        }
    }

    RasterPage rows;
    std::vector<uint8_t*> pointers;
};

// Writes the current page row by row as it is read; the planes are added already.
bool writeRows(ZURasterWriter& writer, PageRows& pages, ThumbnailWriter* preview) {
    Band band(pages.page(), 1);
    bool ok = true;
    for (uint32_t y = 0; ok && y < band.rows.height; ++y) {
        band.read(pages, y, 1, preview);
        for (size_t p = 0; ok && p < band.rows.planes.size(); ++p)
            ok = writer.WriteLine(int(p), int(y), band.rows.planes[p].row(0), band.rows.planes[p].rowBytes);
    }
    return ok;
}

// Writes the current page's panels as the tiles of one tiled page, reading one row of panels at a time (a
// tile is written whole before the next begins); the planes are added already.
bool writePanels(ZURasterWriter& writer, PageRows& pages, const std::vector<TilePanel>& panels,
                 ThumbnailWriter* preview) {
    uint32_t tallest = 0;
    for (const TilePanel& panel : panels) tallest = std::max(tallest, panel.height);
    Band band(pages.page(), tallest);
    std::vector<uint8_t> line(packedRowBytes(band.rows.maxDepth(), band.rows.width));
    bool ok = true;
    for (const TilePanel& panel : panels) {
        if (panel.x == 0) band.read(pages, panel.y, panel.height, preview);
        ok = ok && writer.BeginTile(int(panel.width), int(panel.height));
        for (size_t p = 0; ok && p < band.rows.planes.size(); ++p) {
            const RasterPlane& plane = band.rows.planes[p];
            for (uint32_t y = 0; ok && y < panel.height; ++y) {
                TileGrid::copyPixels(plane.row(y), plane.depth, panel.x, panel.width, line.data());
                ok = writer.WriteLine(int(p), int(y), line.data(), line.size());
            }
        }
        if (!ok) break;
    }
    return ok;
}

// Writes every page into the raster file at path as the pages are read; the first page's preview goes to
// thumbnail.
WrittenJob writeRaster(const std::string& path, PageRows& pages, const std::vector<PlaneNames>& names,
                       const TileGrid& tiles, std::optional<ThumbnailWriter>& thumbnail) {
    ZURasterWriter writer;
    bool ok = writer.Create(path.c_str());
    WrittenJob written;
    const bool tiled = tiles.columns > 0;
    while (ok && pages.nextPage()) {
        const RasterPage& page = pages.page();
        if (written.pages++ == 0) {
            written.width = page.width;
            written.height = page.height;
            thumbnail.emplace(page);
        }
        ThumbnailWriter* preview = written.pages == 1 ? &*thumbnail : nullptr;
        ok = tiled ? writer.BeginTiledPage(int(page.width), int(page.height))
                   : writer.BeginPage(int(page.width), int(page.height));
        for (const RasterPlane& plane : page.planes)
            ok = ok && writer.AddPlane(displayNameOf(plane.name, names).c_str(), plane.name.c_str(), plane.depth);
        ok = ok && (tiled ? writePanels(writer, pages, tiles.panels(page.width, page.height), preview)
                          : writeRows(writer, pages, preview));
        ok = ok && writer.EndPage();
    }
    if (ok && written.pages == 0) throw ToolError("no pages to write into " + path);
    ok = ok && writer.Finish();
    if (!ok) throw ToolError("cannot write raster file " + path + ": " + writer.GetError().c_str());
    return written;
}

void writeBytes(const std::string& path, const void* data, size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) throw ToolError("cannot create " + path + ": " + std::strerror(errno));
    const bool written = std::fwrite(data, 1, size, f) == size;
    const int savedErrno = errno;
    if (std::fclose(f) != 0 || !written)
        throw ToolError("cannot write " + path + ": " + std::strerror(written ? errno : savedErrno));
}

void renameInto(const std::string& from, const std::string& to) {
    std::error_code ec;
    fs::rename(from, to, ec);
    if (ec) throw ToolError("cannot move " + from + " to " + to + ": " + ec.message());
}

JobHeaderLayout makeHeader(const JobSettings& s, const WrittenJob& written) {
    JobHeaderLayout h;
    std::memset(&h, 0, sizeof h);
    FileKind::sign(h);
    SetJobHeaderText(h.jobName, s.documentName.c_str());
    SetJobHeaderText(h.modelName, s.model.c_str());
    SetJobHeaderText(h.jobText3, s.sender.c_str());
    h.xResolution = float(s.xResolution);
    h.yResolution = float(s.yResolution);
    h.pageWidth = written.width / s.xResolution;
    h.pageHeight = written.height / s.yResolution;
    h.widthDpi = int16_t(std::lround(s.xResolution));
    h.heightWord = uint16_t(std::lround(s.yResolution));
    std::memcpy(h.options, &s.options, sizeof h.options);
    h.colorMode = int16_t(s.colorMode);
    return h;
}

}  // namespace

std::string JobFileWriter::rasterPath(const std::string& jobPath) {
    return ZUJob::GetFileName(2, jobPath.c_str()).c_str();
}

std::string JobFileWriter::thumbnailPath(const std::string& jobPath) { return jobPath + ".thumb.bmp"; }

WrittenJob JobFileWriter::write(const std::string& jobPath, const JobSettings& settings, PageRows& pages,
                                 const std::vector<PlaneNames>& displayNames) {
    checkFolderWritable(jobPath);
    const std::string raster = rasterPath(jobPath), thumbnail = thumbnailPath(jobPath);
    if (raster == jobPath)
        throw UsageError("job file " + jobPath + " has the name of its own raster file; choose another extension");
    const std::string jobPart = jobPath + ".part", thumbnailPart = thumbnail + ".part";
    Cleanup cleanup;
    cleanup.add(jobPart);
    cleanup.add(thumbnailPart);
    std::optional<ThumbnailWriter> preview;
    const WrittenJob written = writeRaster(raster, pages, displayNames, settings.tiles, preview);
    cleanup.add(raster);

    writeBytes(thumbnailPart, preview->bmp().data(), preview->bmp().size());
    const JobHeaderLayout header = makeHeader(settings, written);
    std::vector<uint8_t> job(reinterpret_cast<const uint8_t*>(&header), reinterpret_cast<const uint8_t*>(&header + 1));
    if (settings.tiles.columns > 0) {
        const std::vector<uint8_t> block =
            TileRequest::forPanels(settings.tiles.panels(written.width, written.height)).encode();
        job.insert(job.end(), block.begin(), block.end());
    }
    writeBytes(jobPart, job.data(), job.size());

    renameInto(thumbnailPart, thumbnail);
    cleanup.add(thumbnail);
    renameInto(jobPart, jobPath);
    cleanup.commit();
    return written;
}
