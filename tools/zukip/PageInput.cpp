#include "PageInput.h"

#include "TiffImageReader.h"
#include "ToolError.h"

#include <filesystem>
#include <strings.h>

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

RasterPage PageInput::read(const std::string& argument) {
    const auto parts = parse(argument);
    if (parts.size() == 1 && parts.front().first.empty()) return TiffImageReader::read(parts.front().second);
    RasterPage page;
    for (const auto& [name, file] : parts) {
        RasterPage separation = TiffImageReader::read(file);
        if (separation.planes.size() != 1)
            throw ToolError("separation " + name + ": image " + file +
                            " has several colour planes; a separation must be 1-bit or 8-bit greyscale");
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
    return page;
}
