#include "OutputSummary.h"

#include "TextTable.h"
#include "TiffFile.h"

#include <pugixml.hpp>
#include <tiffio.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <strings.h>

namespace fs = std::filesystem;

namespace {

struct InkCount {
    double ink = 0;       // in fully inked samples
    double samples = 0;
};

// Adds the ink of every sample of a 1-bit or 8-bit TIFF (samples of several channels go to channel i).
bool countInk(const std::string& path, bool inverted, std::vector<InkCount>* channels) {
    // "m": read, not map: a mapped separation would count its whole size against the process's memory.
    const TiffHandle tif = OpenTiff(path, "rm", nullptr);
    if (!tif || TIFFIsTiled(tif.get())) return false;
    uint32_t width = 0, height = 0;
    uint16_t bits = 1, samples = 1, planar = PLANARCONFIG_CONTIG;
    TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_PLANARCONFIG, &planar);
    if (!((bits == 1 && samples == 1) || (bits == 8 && (samples == 1 || samples == 4))) ||
        (samples > 1 && planar != PLANARCONFIG_CONTIG))
        return false;
    const tmsize_t lineSize = TIFFScanlineSize(tif.get());
    if (lineSize <= 0) return false;
    std::vector<uint8_t> line(size_t(lineSize), 0);
    std::vector<InkCount> counts(samples);
    for (uint32_t y = 0; y < height; ++y) {
        if (TIFFReadScanline(tif.get(), line.data(), y, 0) < 0) return false;
        if (bits == 1) {
            for (uint32_t x = 0; x < width; ++x) {
                const bool set = (line[x / 8] & (0x80 >> (x % 8))) != 0;
                counts[0].ink += set != inverted ? 1 : 0;
            }
        } else {
            for (uint32_t i = 0; i < width * samples && i < line.size(); ++i)
                counts[i % samples].ink += (inverted ? 255 - line[i] : line[i]) / 255.0;
        }
        for (InkCount& c : counts) c.samples += width;
    }
    *channels = counts;
    return true;
}

// The colour a separation file is for. Output names end in a colour token (the colour's name, or a short
// id such as "C" or "K" that the model settings map it to), so the last "_" part of the name decides first:
// a colour it names, or the only colour it begins. Otherwise the longest colour name inside the file name.
std::string colourOf(const std::string& fileName, const std::vector<std::string>& colourNames) {
    const std::string stem = fs::path(fileName).stem().string();
    const std::string token = stem.substr(stem.find_last_of('_') == std::string::npos ? 0 : stem.find_last_of('_') + 1);
    // K is the printers' usual id for black, which no prefix finds.
    const std::string wanted = strcasecmp(token.c_str(), "K") == 0 ? "Black" : token;
    std::vector<std::string> beginning;
    for (const std::string& name : colourNames) {
        if (strcasecmp(name.c_str(), wanted.c_str()) == 0) return name;
        if (!token.empty() && strncasecmp(name.c_str(), token.c_str(), token.size()) == 0) beginning.push_back(name);
    }
    if (beginning.size() == 1) return beginning.front();
    std::string best;
    for (const std::string& name : colourNames) {
        if (name.size() <= best.size()) continue;
        for (size_t i = 0; i + name.size() <= fileName.size(); ++i)
            if (strncasecmp(fileName.c_str() + i, name.c_str(), name.size()) == 0) {
                best = name;
                break;
            }
    }
    return best.empty() ? stem : best;
}

// The coverage the driver wrote into its job ticket: the children of the first "Coverage" element of an
// XML file in the job folder, by element name (percent); empty when there is no such file.
std::map<std::string, double> ticketCoverage(const fs::path& folder) {
    std::error_code ec;
    std::set<fs::path> tickets;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file(ec) && strcasecmp(it->path().extension().c_str(), ".xml") == 0) tickets.insert(it->path());
    for (const fs::path& ticket : tickets) {
        pugi::xml_document document;
        if (!document.load_file(ticket.c_str())) continue;
        std::map<std::string, double> figures;
        for (const pugi::xml_node colour : document.select_node("//Coverage").node().children()) {
            const char* text = colour.child_value();
            char* end = nullptr;
            const double percent = std::strtod(text, &end);
            if (colour.type() == pugi::node_element && end != text) figures[colour.name()] = percent;
        }
        if (!figures.empty()) return figures;
    }
    return {};
}

std::string sizeText(uintmax_t bytes) {
    char text[32];
    if (bytes < 10 * 1024) std::snprintf(text, sizeof text, "%ju B", bytes);
    else if (bytes < 10 * 1024 * 1024) std::snprintf(text, sizeof text, "%.1f KiB", bytes / 1024.0);
    else std::snprintf(text, sizeof text, "%.1f MiB", bytes / (1024.0 * 1024.0));
    return text;
}

bool isTiff(const fs::path& path) {
    const std::string ext = path.extension().string();
    return strcasecmp(ext.c_str(), ".tif") == 0 || strcasecmp(ext.c_str(), ".tiff") == 0;
}

}  // namespace

std::set<std::string> OutputSummary::snapshot(const std::string& folder) {
    std::set<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        names.insert(it->path().filename().string());
    return names;
}

OutputSummary OutputSummary::collect(const std::string& outputFolder, const std::set<std::string>& before,
                                     const std::vector<std::string>& colourNames, bool inverted) {
    OutputSummary summary;
    summary.jobFolder_ = outputFolder;
    std::error_code ec;
    for (const std::string& name : snapshot(outputFolder))
        if (!before.count(name) && fs::is_directory(fs::path(outputFolder) / name, ec)) {
            summary.jobFolder_ = (fs::path(outputFolder) / name).string();
            break;
        }
    std::map<std::string, InkCount> byColour;
    std::map<std::string, int> imageCount;
    const fs::path root(summary.jobFolder_);
    // The driver's own figures, when its ticket has them: the same as the ticket says, and no separation
    // is read again.
    const std::map<std::string, double> figures = ticketCoverage(root);
    for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        const fs::path relative = fs::relative(it->path(), root, ec);
        // Without a job folder of its own, only what the job added counts.
        if (summary.jobFolder_ == outputFolder && before.count(relative.begin()->string())) continue;
        summary.files_.push_back({relative.string(), it->file_size(ec)});
        if (!figures.empty() && isTiff(it->path())) ++imageCount[colourOf(it->path().filename().string(), colourNames)];
        std::vector<InkCount> channels;
        if (!figures.empty() || !isTiff(it->path()) || !countInk(it->path().string(), inverted, &channels)) continue;
        static const char* const kChannels[4] = {"Cyan", "Magenta", "Yellow", "Black"};
        for (size_t c = 0; c < channels.size(); ++c) {
            const std::string colour =
                channels.size() == 4 ? kChannels[c] : colourOf(it->path().filename().string(), colourNames);
            byColour[colour].ink += channels[c].ink;
            byColour[colour].samples += channels[c].samples;
            ++imageCount[colour];
        }
    }
    std::sort(summary.files_.begin(), summary.files_.end(),
              [](const OutputFile& a, const OutputFile& b) { return a.path < b.path; });
    for (const auto& [colour, count] : byColour)
        summary.coverage_.push_back(
            {colour, count.samples > 0 ? 100.0 * count.ink / count.samples : 0.0, imageCount[colour]});
    for (const auto& [colour, percent] : figures) summary.coverage_.push_back({colour, percent, imageCount[colour]});
    return summary;
}

std::string OutputSummary::render() const {
    TextTable files("Job folder " + jobFolder_, {"File", "Size"});
    uintmax_t total = 0;
    for (const OutputFile& f : files_) {
        files.addRow({f.path, sizeText(f.size)});
        total += f.size;
    }
    files.setNote(files_.empty() ? "The job left no files."
                                 : std::to_string(files_.size()) + " file(s), " + sizeText(total));
    TextTable ink("Ink coverage", {"Colour", "Coverage", "Images"});
    for (const InkCoverage& c : coverage_) {
        char percent[32];
        std::snprintf(percent, sizeof percent, "%.2f %%", c.percent);
        ink.addRow({c.colour, percent, std::to_string(c.images)});
    }
    if (coverage_.empty()) ink.setNote("No TIFF separations to measure.");
    return files.render() + "\n" + ink.render();
}
