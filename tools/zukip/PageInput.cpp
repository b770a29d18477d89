#include "PageInput.h"

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

// Adds a one-plane page as the plane name of page; its size must match the planes before it.
void addSeparation(RasterPage& page, RasterPage separation, const std::string& name, const std::string& file) {
    if (page.planes.empty()) {
        page.width = separation.width;
        page.height = separation.height;
    } else if (separation.width != page.width || separation.height != page.height) {
        throw ToolError("separation " + name + ": image " + file + " is " + std::to_string(separation.width) +
                        " x " + std::to_string(separation.height) + " pixels, but " + page.source + " is " +
                        std::to_string(page.width) + " x " + std::to_string(page.height));
    }
    separation.planes.front().name = name;
    page.planes.push_back(std::move(separation.planes.front()));
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
        addSeparation(joined.planes, std::move(separation.planes), name, file);
    }
    return {std::move(joined)};
}

std::vector<RasterPage> PageInput::read(const std::string& argument, InkTarget target, ColourConverter& converter,
                                        const JobGeometry& job) {
    const auto parts = parse(argument);
    if (wholeImage(parts)) return PageReader::read(parts.front().second, target, converter, job);
    RasterPage joined;
    for (const auto& [name, file] : parts) {
        separationShape(name, file);
        std::vector<RasterPage> pages = PageReader::read(file, InkTarget::Black, converter, job);
        addSeparation(joined, std::move(pages.front()), name, file);
    }
    return {std::move(joined)};
}
