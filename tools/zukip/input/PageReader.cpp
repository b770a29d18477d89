// Image pages into job pages: conversion row by row, then orientation and
// resolution in one nearest-neighbour pass when either asks for it.
#include "PageReader.h"

#include "ToolError.h"

#include <cmath>

namespace {

const char* const kInkNames[4] = {"Cyan", "Magenta", "Yellow", "Black"};

// Pages whose resolution differs from the job's by less than this share keep their pixels.
constexpr double kSameResolution = 0.005;

std::string pageName(const std::string& path, size_t index) {
    return path + " (page " + std::to_string(index + 1) + ")";
}

RasterPage emptyPage(uint32_t width, uint32_t height, int inks, int depth, const std::string& source) {
    RasterPage page;
    page.width = width;
    page.height = height;
    page.source = source;
    for (int i = 0; i < inks; ++i) {
        RasterPlane plane;
        plane.name = kInkNames[inks == 4 ? i : 3];
        plane.depth = depth;
        plane.rowBytes = packedRowBytes(depth, width);
        page.planes.push_back(std::move(plane));
    }
    return page;
}

uint8_t pixelAt(const RasterPlane& plane, uint32_t x, uint32_t y) {
    const uint8_t* row = plane.row(y);
    return plane.depth == 8 ? row[x] : (row[x / 8] >> (7 - x % 8)) & 1;
}

void setPixel(RasterPlane& plane, uint32_t x, uint32_t y, uint8_t value) {
    uint8_t* row = plane.row(y);
    if (plane.depth == 8) row[x] = value;
    else if (value) row[x / 8] |= uint8_t(0x80 >> (x % 8));
}

// The stored pixel that shows at (dx, dy) of the upright picture (TIFF orientation rules).
void storedPosition(int orientation, uint32_t w, uint32_t h, uint32_t dx, uint32_t dy, uint32_t* sx, uint32_t* sy) {
    switch (orientation) {
    case 2: *sx = w - 1 - dx, *sy = dy; break;
    case 3: *sx = w - 1 - dx, *sy = h - 1 - dy; break;
    case 4: *sx = dx, *sy = h - 1 - dy; break;
    case 5: *sx = dy, *sy = dx; break;
    case 6: *sx = dy, *sy = h - 1 - dx; break;
    case 7: *sx = w - 1 - dy, *sy = h - 1 - dx; break;
    case 8: *sx = w - 1 - dy, *sy = dx; break;
    default: *sx = dx, *sy = dy;
    }
}

uint32_t scaled(uint32_t pixels, double from, double to) {
    if (from <= 0 || std::fabs(to / from - 1.0) < kSameResolution) return pixels;
    return uint32_t(std::max(1.0, std::round(pixels * to / from)));
}

// The page upright and at the job's resolution; the page itself when neither changes anything.
RasterPage placed(RasterPage stored, const ImageFrame& frame, const JobGeometry& job) {
    const bool turned = frame.orientation >= 5;
    const uint32_t uprightWidth = turned ? stored.height : stored.width;
    const uint32_t uprightHeight = turned ? stored.width : stored.height;
    const double xDpi = turned ? frame.yDpi : frame.xDpi, yDpi = turned ? frame.xDpi : frame.yDpi;
    const uint32_t width = scaled(uprightWidth, xDpi, job.xDpi), height = scaled(uprightHeight, yDpi, job.yDpi);
    if (frame.orientation == 1 && width == stored.width && height == stored.height) return stored;
    if (uint64_t(width) * height > ImageSource::kMaxPixels)
        throw ToolError("image " + stored.source + " would be too large at the job's resolution (" +
                        std::to_string(width) + " x " + std::to_string(height) + " pixels)");
    RasterPage out = emptyPage(width, height, 0, 8, stored.source);
    for (const RasterPlane& from : stored.planes) {
        RasterPlane plane{from.name, from.depth, packedRowBytes(from.depth, width), {}};
        plane.data.assign(plane.rowBytes * height, 0);
        for (uint32_t y = 0; y < height; ++y) {
            const auto dy = uint32_t((y + 0.5) * uprightHeight / height);
            for (uint32_t x = 0; x < width; ++x) {
                uint32_t sx = 0, sy = 0;
                storedPosition(frame.orientation, stored.width, stored.height, uint32_t((x + 0.5) * uprightWidth / width),
                               dy, &sx, &sy);
                setPixel(plane, x, y, pixelAt(from, sx, sy));
            }
        }
        out.planes.push_back(std::move(plane));
    }
    return out;
}

RasterPage readFrame(ImageSource& source, const ImageFrame& frame, InkTarget target, ColourConverter& converter,
                     const std::string& name) {
    const int inks = frame.bilevel ? 1 : ColourConverter::inkCount(frame.model, target);
    RasterPage page = emptyPage(frame.width, frame.height, inks, frame.bilevel ? 1 : 8, name);
    for (RasterPlane& plane : page.planes) plane.data.assign(plane.rowBytes * frame.height, 0);
    if (frame.bilevel) {
        for (uint32_t y = 0; y < frame.height; ++y) source.readBits(page.planes[0].row(y));
        return page;
    }
    converter.begin(frame, target, name);
    std::vector<uint16_t> samples(size_t(frame.width) * frame.channels());
    uint8_t* rows[4] = {};
    for (uint32_t y = 0; y < frame.height; ++y) {
        for (int i = 0; i < inks; ++i) rows[i] = page.planes[size_t(i)].row(y);
        source.readRow(samples.data());
        converter.convert(samples.data(), frame.width, rows);
    }
    return page;
}

}  // namespace

std::vector<PageShape> PageReader::shapes(const std::string& path) {
    const std::unique_ptr<ImageSource> source = ImageSource::open(path);
    std::vector<PageShape> shapes;
    ImageFrame frame;
    while (source->nextFrame(&frame)) {
        const bool colour = frame.model != ColourModel::Grey;
        PageShape shape{emptyPage(frame.width, frame.height, colour ? 4 : 1, frame.bilevel ? 1 : 8, path),
                        frame.xDpi, frame.yDpi, colour};
        if (frame.orientation >= 5) std::swap(shape.xDpi, shape.yDpi);
        shapes.push_back(std::move(shape));
    }
    if (shapes.empty()) throw ToolError("image " + path + " has no pages");
    return shapes;
}

std::vector<RasterPage> PageReader::read(const std::string& path, InkTarget target, ColourConverter& converter,
                                         const JobGeometry& job) {
    const std::unique_ptr<ImageSource> source = ImageSource::open(path);
    std::vector<RasterPage> pages;
    ImageFrame frame;
    while (source->nextFrame(&frame)) {
        const std::string name = pages.empty() ? path : pageName(path, pages.size());
        pages.push_back(placed(readFrame(*source, frame, target, converter, name), frame, job));
    }
    if (pages.size() > 1) pages.front().source = pageName(path, 0);
    return pages;
}
