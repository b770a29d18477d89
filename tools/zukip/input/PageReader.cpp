// Image pages into job pages, a row at a time: conversion of each stored row,
// then orientation and resolution by nearest neighbour when either asks for it.
#include "PageReader.h"

#include "ToolError.h"

#include <cmath>
#include <cstring>

namespace {

const char* const kInkNames[4] = {"Cyan", "Magenta", "Yellow", "Black"};

// Pages whose resolution differs from the job's by less than this share keep their pixels.
constexpr double kSameResolution = 0.005;

std::string pageName(const std::string& path, size_t index) {
    return path + " (page " + std::to_string(index + 1) + ")";
}

// A page of inks planes named after the process inks; rows holds the rows of data each plane gets.
RasterPage emptyPage(uint32_t width, uint32_t height, int inks, int depth, const std::string& source, uint32_t rows) {
    RasterPage page;
    page.width = width;
    page.height = height;
    page.source = source;
    for (int i = 0; i < inks; ++i) {
        RasterPlane plane;
        plane.name = kInkNames[inks == 4 ? i : 3];
        plane.depth = depth;
        plane.rowBytes = packedRowBytes(depth, width);
        plane.data.assign(plane.rowBytes * rows, 0);
        page.planes.push_back(std::move(plane));
    }
    return page;
}

uint8_t pixelAt(const uint8_t* row, int depth, uint32_t x) {
    return depth == 8 ? row[x] : (row[x / 8] >> (7 - x % 8)) & 1;
}

void setPixel(uint8_t* row, int depth, uint32_t x, uint8_t value) {
    if (depth == 8) row[x] = value;
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

}  // namespace

std::vector<PageShape> PageReader::shapes(const std::string& path) {
    const std::unique_ptr<ImageSource> source = ImageSource::open(path);
    std::vector<PageShape> shapes;
    ImageFrame frame;
    while (source->nextFrame(&frame)) {
        const bool colour = frame.model != ColourModel::Grey;
        PageShape shape{emptyPage(frame.width, frame.height, colour ? 4 : 1, frame.bilevel ? 1 : 8, path, 0),
                        frame.xDpi, frame.yDpi, colour};
        if (frame.orientation >= 5) std::swap(shape.xDpi, shape.yDpi);
        shapes.push_back(std::move(shape));
    }
    if (shapes.empty()) throw ToolError("image " + path + " has no pages");
    return shapes;
}

PageReader::PageReader(const std::string& path, size_t pageCount)
    : source_(ImageSource::open(path)), path_(path), pageCount_(pageCount) {}

bool PageReader::nextPage(InkTarget target, ColourConverter& converter, const JobGeometry& job) {
    if (!source_->nextFrame(&frame_)) return false;
    const std::string name = pageCount_ > 1 ? pageName(path_, pagesRead_) : path_;
    ++pagesRead_;
    const int inks = frame_.bilevel ? 1 : ColourConverter::inkCount(frame_.model, target);
    const int depth = frame_.bilevel ? 1 : 8;
    converter_ = &converter;
    if (!frame_.bilevel) converter.begin(frame_, target, name);

    const bool turned = frame_.orientation >= 5;
    const uint32_t uprightWidth = turned ? frame_.height : frame_.width;
    uprightHeight_ = turned ? frame_.width : frame_.height;
    const double xDpi = turned ? frame_.yDpi : frame_.xDpi, yDpi = turned ? frame_.xDpi : frame_.yDpi;
    const uint32_t width = scaled(uprightWidth, xDpi, job.xDpi), height = scaled(uprightHeight_, yDpi, job.yDpi);
    direct_ = frame_.orientation == 1 && width == frame_.width && height == frame_.height;
    if (!direct_ && uint64_t(width) * height > ImageSource::kMaxPixels)
        throw ToolError("image " + name + " would be too large at the job's resolution (" + std::to_string(width) +
                        " x " + std::to_string(height) + " pixels)");
    page_ = emptyPage(width, height, inks, depth, name, 0);
    whole_ = frame_.orientation >= 3;
    stored_ = emptyPage(frame_.width, frame_.height, inks, depth, name, direct_ ? 0 : whole_ ? frame_.height : 1);
    storedPointers_.resize(size_t(inks));
    samples_.resize(frame_.bilevel ? 0 : size_t(frame_.width) * size_t(frame_.channels()));
    uprightX_.resize(width);
    for (uint32_t x = 0; x < width; ++x) uprightX_[x] = uint32_t((x + 0.5) * uprightWidth / width);
    storedRead_ = 0;
    y_ = 0;
    if (whole_)
        while (storedRead_ < frame_.height) readStoredRow(storedRows(storedRead_));
    return true;
}

uint8_t* const* PageReader::storedRows(uint32_t y) {
    for (size_t p = 0; p < storedPointers_.size(); ++p) storedPointers_[p] = stored_.planes[p].row(whole_ ? y : 0);
    return storedPointers_.data();
}

void PageReader::readStoredRow(uint8_t* const* rows) {
    if (frame_.bilevel) {
        source_->readBits(rows[0]);
    } else {
        source_->readRow(samples_.data());
        converter_->convert(samples_.data(), frame_.width, rows);
    }
    ++storedRead_;
}

void PageReader::readRow(uint8_t* const* rows) {
    const uint32_t y = y_++;
    if (direct_) {
        readStoredRow(rows);
        return;
    }
    const auto dy = uint32_t((y + 0.5) * uprightHeight_ / page_.height);
    // Output rows take stored rows in order here: keep the last one read.
    while (!whole_ && storedRead_ <= dy) readStoredRow(storedRows(0));
    for (size_t p = 0; p < page_.planes.size(); ++p) {
        const RasterPlane& from = stored_.planes[p];
        const int depth = from.depth;
        std::memset(rows[p], 0, page_.planes[p].rowBytes);
        for (uint32_t x = 0; x < page_.width; ++x) {
            uint32_t sx = 0, sy = 0;
            storedPosition(frame_.orientation, frame_.width, frame_.height, uprightX_[x], dy, &sx, &sy);
            setPixel(rows[p], depth, x, pixelAt(from.row(whole_ ? sy : 0), depth, sx));
        }
    }
    // A page scaled down skips stored rows at its end; they are read all the same, so that damage there is found.
    if (y_ == page_.height)
        while (storedRead_ < frame_.height) readStoredRow(storedRows(0));
}
