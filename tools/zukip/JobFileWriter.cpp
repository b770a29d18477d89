#include "JobFileWriter.h"

#include "FileKind.h"
#include "JobHeader.h"
#include "ThumbnailWriter.h"
#include "TileRequest.h"
#include "ToolError.h"
#include "ZUJob.h"
#include "ZURasterWriter.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
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
    if (!fs::is_directory(folder, ec)) throw ToolError("cannot write job " + jobPath + ": folder " + folder.string() +
                                                       " does not exist");
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

// Writes the page's panels as the tiles of one tiled page; the planes are added already.
bool writePanels(ZURasterWriter& writer, const RasterPage& page, const std::vector<TilePanel>& panels) {
    std::vector<uint8_t> line(packedRowBytes(page.maxDepth(), page.width));
    bool ok = true;
    for (const TilePanel& panel : panels) {
        ok = ok && writer.BeginTile(int(panel.width), int(panel.height));
        for (size_t p = 0; ok && p < page.planes.size(); ++p) {
            const RasterPlane& plane = page.planes[p];
            for (uint32_t y = 0; ok && y < panel.height; ++y) {
                TileGrid::copyPixels(plane.row(panel.y + y), plane.depth, panel.x, panel.width, line.data());
                ok = writer.WriteLine(int(p), int(y), line.data(), line.size());
            }
        }
    }
    return ok;
}

void writeRaster(const std::string& path, const std::vector<RasterPage>& pages,
                 const std::vector<PlaneNames>& names, const TileGrid& tiles) {
    ZURasterWriter writer;
    bool ok = writer.Create(path.c_str());
    for (const RasterPage& page : pages) {
        const bool tiled = tiles.columns > 0;
        ok = ok && (tiled ? writer.BeginTiledPage(int(page.width), int(page.height))
                          : writer.BeginPage(int(page.width), int(page.height)));
        for (const RasterPlane& plane : page.planes)
            ok = ok && writer.AddPlane(displayNameOf(plane.name, names).c_str(), plane.name.c_str(), plane.depth);
        if (tiled) ok = ok && writePanels(writer, page, tiles.panels(page.width, page.height));
        for (size_t p = 0; ok && !tiled && p < page.planes.size(); ++p)
            for (uint32_t y = 0; ok && y < page.height; ++y)
                ok = writer.WriteLine(int(p), int(y), page.planes[p].row(y), page.planes[p].rowBytes);
        ok = ok && writer.EndPage();
    }
    ok = ok && writer.Finish();
    if (!ok) throw ToolError("cannot write raster file " + path + ": " + writer.GetError().c_str());
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

JobHeaderLayout makeHeader(const JobSettings& s, const RasterPage& firstPage) {
    JobHeaderLayout h;
    std::memset(&h, 0, sizeof h);
    FileKind::sign(h);
    SetJobHeaderText(h.jobName, s.documentName.c_str());
    SetJobHeaderText(h.modelName, s.model.c_str());
    SetJobHeaderText(h.jobText3, s.sender.c_str());
    h.xResolution = float(s.xResolution);
    h.yResolution = float(s.yResolution);
    h.pageWidth = firstPage.width / s.xResolution;
    h.pageHeight = firstPage.height / s.yResolution;
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

void JobFileWriter::write(const std::string& jobPath, const JobSettings& settings,
                          const std::vector<RasterPage>& pages, const std::vector<PlaneNames>& displayNames) {
    if (pages.empty()) throw ToolError("no pages to write into " + jobPath);
    checkFolderWritable(jobPath);
    const std::string raster = rasterPath(jobPath), thumbnail = thumbnailPath(jobPath);
    if (raster == jobPath)
        throw UsageError("job file " + jobPath + " has the name of its own raster file; choose another extension");
    const std::string jobPart = jobPath + ".part", thumbnailPart = thumbnail + ".part";
    Cleanup cleanup;
    cleanup.add(jobPart);
    cleanup.add(thumbnailPart);
    writeRaster(raster, pages, displayNames, settings.tiles);
    cleanup.add(raster);

    const std::vector<uint8_t> bmp = ThumbnailWriter::encode(pages.front());
    writeBytes(thumbnailPart, bmp.data(), bmp.size());
    const JobHeaderLayout header = makeHeader(settings, pages.front());
    std::vector<uint8_t> job(reinterpret_cast<const uint8_t*>(&header), reinterpret_cast<const uint8_t*>(&header + 1));
    if (settings.tiles.columns > 0) {
        const std::vector<uint8_t> block =
            TileRequest::forPanels(settings.tiles.panels(pages.front().width, pages.front().height)).encode();
        job.insert(job.end(), block.begin(), block.end());
    }
    writeBytes(jobPart, job.data(), job.size());

    renameInto(thumbnailPart, thumbnail);
    cleanup.add(thumbnail);
    renameInto(jobPart, jobPath);
    cleanup.commit();
}
