#include "PageInput.h"

#include "OrderedDither.h"
#include "PlaneMapper.h"
#include "ToolError.h"

#include <filesystem>
#include <strings.h>

namespace {

bool wholeImage(const std::vector<std::pair<std::string, std::string>>& parts) {
    return parts.size() == 1 && parts.front().first.empty();
}

// The one greyscale or black-and-white page of a separation file.
PageShape separationShape(const std::string& name, const std::string& file) {
    std::vector<PageShape> shapes = PageReader::shapes(file);
    if (shapes.size() != 1 || shapes.front().colour)
        throw ToolError("separation " + name + ": image " + file +
                        (shapes.size() != 1 ? " has several pages" : " is in colour") +
                        "; a separation must be one black-and-white or greyscale page");
    return std::move(shapes.front());
}

// Adds the one plane of separation as the plane name of page; its size must match the planes before it.
void addSeparation(RasterPage& page, const RasterPage& separation, const std::string& name, const std::string& file) {
    if (page.planes.empty()) {
        page.width = separation.width;
        page.height = separation.height;
    } else if (separation.width != page.width || separation.height != page.height) {
        throw ToolError("separation " + name + ": image " + file + " is " + std::to_string(separation.width) +
                        " x " + std::to_string(separation.height) + " pixels, but " + page.source + " is " +
                        std::to_string(page.width) + " x " + std::to_string(page.height));
    }
    page.planes.push_back(separation.planes.front());
    page.planes.back().name = name;
    page.source += (page.source.empty() ? "" : ", ") + file;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> PageInput::parse(const std::string& argument) {
    std::error_code ec;
    // An existing file wins, so that a file name containing "=" still works.
    if (argument.find('=') == std::string::npos || std::filesystem::exists(argument, ec)) return {{"", argument}};
    std::vector<std::pair<std::string, std::string>> separations;
    size_t start = 0;
    while (start <= argument.size()) {
        const size_t comma = std::min(argument.find(',', start), argument.size());
        const std::string item = argument.substr(start, comma - start);
        const size_t eq = item.find('=');
        if (eq == std::string::npos || eq == 0 || eq + 1 == item.size())
            throw UsageError("separation \"" + item + "\" in \"" + argument + "\" is not NAME=FILE");
        const std::string name = item.substr(0, eq);
        for (const auto& [known, file] : separations)
            if (strcasecmp(known.c_str(), name.c_str()) == 0)
                throw UsageError("separation " + name + " is given twice in \"" + argument + "\"");
        separations.emplace_back(name, item.substr(eq + 1));
        start = comma + 1;
    }
    return separations;
}

std::vector<PageShape> PageInput::shapes(const std::string& argument) {
    const auto parts = parse(argument);
    if (wholeImage(parts)) return PageReader::shapes(parts.front().second);
    PageShape joined;
    for (const auto& [name, file] : parts) {
        PageShape separation = separationShape(name, file);
        if (joined.planes.planes.empty()) joined.xDpi = separation.xDpi, joined.yDpi = separation.yDpi;
        addSeparation(joined.planes, separation.planes, name, file);
    }
    return {std::move(joined)};
}

PageInput::PageInput(std::vector<PageArgument> arguments, InkTarget target, const CatalogColorMode& mode,
                     ColourConverter& converter, const JobGeometry& job)
    : arguments_(std::move(arguments)), target_(target), mode_(mode), converter_(converter), job_(job) {}

bool PageInput::openArgument() {
    if (nextArgument_ == arguments_.size()) return false;
    const PageArgument& argument = arguments_[nextArgument_++];
    parts_ = parse(argument.text);
    separations_ = !wholeImage(parts_);
    readers_.clear();
    // A separation list is one page, and shapes() found each of its images to be one page too.
    for (const auto& [name, file] : parts_) {
        readers_.push_back(std::make_unique<PageReader>(file, argument.pages));
        if (!readers_.back()->nextPage(separations_ ? InkTarget::Black : target_, converter_, job_))
            throw ToolError("image " + file + " has no pages");
    }
    return true;
}

bool PageInput::nextPage() {
    // The next page of a multi-page image, else the first of the next argument (a separation list is one page).
    const bool samePage = !separations_ && !readers_.empty() && readers_.front()->nextPage(target_, converter_, job_);
    if (!samePage && !openArgument()) return false;
    if (separations_) {
        page_ = RasterPage();
        for (size_t i = 0; i < readers_.size(); ++i)
            addSeparation(page_, readers_[i]->page(), parts_[i].first, parts_[i].second);
    } else {
        page_ = readers_.front()->page();
    }
    const RasterPage read = page_;
    PlaneMapper::fit(mode_, page_);
    ink_.resize(page_.planes.size());
    for (size_t p = 0; p < page_.planes.size(); ++p)
        ink_[p].resize(read.planes[p].depth == page_.planes[p].depth ? 0 : page_.width);
    readInto_.resize(page_.planes.size());
    y_ = 0;
    return true;
}

void PageInput::readRow(uint8_t* const* rows) {
    for (size_t p = 0; p < page_.planes.size(); ++p) readInto_[p] = ink_[p].empty() ? rows[p] : ink_[p].data();
    size_t first = 0;
    for (const std::unique_ptr<PageReader>& reader : readers_) {
        reader->readRow(readInto_.data() + first);
        first += reader->page().planes.size();
    }
    for (size_t p = 0; p < page_.planes.size(); ++p)
        if (!ink_[p].empty()) OrderedDither::ditherRow(ink_[p].data(), page_.width, y_, rows[p]);
    ++y_;
}
