#include "PrinterCatalog.h"

#include "ToolError.h"

#include <pugixml.hpp>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <strings.h>

namespace fs = std::filesystem;

namespace {

fs::path driversFolder(const std::string& baseFolder) { return fs::path(baseFolder) / "OutputDrivers"; }

pugi::xml_document loadXml(const fs::path& path, const std::string& what) {
    pugi::xml_document doc;
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) throw ToolError(what + " not found: " + path.string());
    const pugi::xml_parse_result result = doc.load_file(path.c_str());
    if (!result)
        throw ToolError(what + " " + path.string() + " is not valid XML (" + result.description() + " at byte " +
                        std::to_string(result.offset) + ")");
    return doc;
}

// Decimal text as the driver reads it: leading blanks and sign, digits, rest ignored; fallback when none.
int decimal(const char* text, int fallback) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    return end == text ? fallback : int(v);
}

std::string childText(const pugi::xml_node& node, const char* name) { return node.child(name).text().get(); }

int idOf(const pugi::xml_node& entry) { return decimal(childText(entry, "ID").c_str(), -1); }

// The "Control_Definition" child of parent named tag whose "ID" is id; the first such child when none matches.
pugi::xml_node controlChild(const pugi::xml_node& parent, const char* tag, int id) {
    for (pugi::xml_node child : parent.children(tag))
        if (decimal(child.attribute("ID").value(), 0) == id) return child;
    return parent.child(tag);
}

}  // namespace

const CatalogColorant* CatalogColorMode::findColorant(const std::string& name) const {
    for (const CatalogColorant& c : colorants)
        if (strcasecmp(c.internalName.c_str(), name.c_str()) == 0) return &c;
    return nullptr;
}

std::vector<std::string> PrinterCatalog::modelNames(const std::string& baseFolder) {
    const pugi::xml_document index = loadXml(driversFolder(baseFolder) / "ZuKIPDes.xml", "printer index");
    std::vector<std::string> names;
    for (pugi::xml_node entry : index.document_element().children()) {
        const std::string name = entry.attribute("Name").value();
        if (!name.empty()) names.push_back(name);
    }
    return names;
}

PrinterCatalog PrinterCatalog::load(const std::string& baseFolder, const std::string& model) {
    const fs::path indexPath = driversFolder(baseFolder) / "ZuKIPDes.xml";
    const pugi::xml_document index = loadXml(indexPath, "printer index");
    std::string fileName;
    std::string known;
    for (pugi::xml_node entry : index.document_element().children()) {
        const std::string name = entry.attribute("Name").value();
        if (name.empty()) continue;
        if (model.compare(0, name.size(), name) == 0) {
            fileName = entry.attribute("XMLFile").value();
            break;
        }
        known += (known.empty() ? "\"" : ", \"") + name + "\"";
    }
    if (fileName.empty())
        throw ToolError("unknown printer model \"" + model + "\" (" + indexPath.string() + " knows " +
                        (known.empty() ? "no models" : known) + ")");

    PrinterCatalog catalog;
    catalog.model_ = model;
    catalog.descriptionPath_ = (driversFolder(baseFolder) / fileName).string();
    const pugi::xml_document doc = loadXml(catalog.descriptionPath_, "printer description");
    const pugi::xml_node root = doc.child("Root");
    const pugi::xml_node definition = root.child("Definition");
    if (!definition)
        throw ToolError("printer description " + catalog.descriptionPath_ + " has no Root/Definition element");

    std::vector<std::pair<std::string, std::string>> colors;   // internal, display by position
    for (pugi::xml_node c : definition.child("ColorList").children())
        colors.emplace_back(childText(c, "InternalName"), childText(c, "DisplayName"));
    for (pugi::xml_node r : definition.child("ResolutionList").children())
        catalog.resolutions_.push_back({idOf(r), std::atof(childText(r, "XResValue").c_str()),
                                        std::atof(childText(r, "YResValue").c_str()), childText(r, "DisplayName")});
    for (pugi::xml_node m : definition.child("ColorModeList").children()) {
        CatalogColorMode mode{idOf(m), childText(m, "InternalName"), childText(m, "DisplayName"), {}};
        for (pugi::xml_node c : m.child("ColorantList").children()) {
            const int colour = decimal(c.attribute("ID").value(), 0);
            if (colour < 0 || size_t(colour) >= colors.size())
                throw ToolError("printer description " + catalog.descriptionPath_ + ": colour mode \"" +
                                mode.displayName + "\" refers to colour " + std::to_string(colour) +
                                " that ColorList lacks");
            mode.colorants.push_back({colors[colour].first, colors[colour].second,
                                      decimal(childText(c, "ColorDepth").c_str(), 1),
                                      decimal(c.attribute("IsSpotColor").value(), 0) == 1});
        }
        catalog.colorModes_.push_back(std::move(mode));
    }

    for (pugi::xml_node m : definition.child("MediaList").children())
        catalog.media_.push_back({idOf(m), childText(m, "InternalName"), childText(m, "DisplayName")});
    for (pugi::xml_node m : definition.child("PrintModeList").children())
        catalog.printModes_.push_back({idOf(m), childText(m, "InternalName"), childText(m, "DisplayName")});
    for (pugi::xml_node m : root.child("Control_Definition").children("Media")) {
        CatalogMediumControl control{decimal(m.attribute("ID").value(), 0),
                                     decimal(m.attribute("DefaultPrintMode").value(), -1), {}};
        for (pugi::xml_node p : m.children("PrintMode")) control.printModeIds.push_back(decimal(p.attribute("ID").value(), 0));
        catalog.mediaControl_.push_back(std::move(control));
    }

    const pugi::xml_node mediaList = definition.child("MediaList");
    if (mediaList.first_child()) catalog.defaultMediaId_ = decimal(mediaList.attribute("DefaultMedia").value(), 0);
    const pugi::xml_node media = controlChild(root.child("Control_Definition"), "Media", catalog.defaultMediaId_);
    catalog.defaultMediaId_ = decimal(media.attribute("ID").value(), catalog.defaultMediaId_);
    catalog.defaultPrintModeId_ = decimal(media.attribute("DefaultPrintMode").value(), 0);
    const pugi::xml_node printMode = controlChild(media, "PrintMode", catalog.defaultPrintModeId_);
    catalog.defaultPrintModeId_ = decimal(printMode.attribute("ID").value(), catalog.defaultPrintModeId_);
    const pugi::xml_node resolution = printMode.child("Resolution");
    if (resolution) {
        catalog.defaultResolutionId_ = decimal(resolution.attribute("ID").value(), -1);
        catalog.defaultColorModeId_ = decimal(resolution.attribute("DefaultColorMode").value(), -1);
    }
    return catalog;
}

const CatalogColorMode* PrinterCatalog::findColorMode(const std::string& text) const {
    for (const CatalogColorMode& m : colorModes_)
        if (strcasecmp(m.displayName.c_str(), text.c_str()) == 0 || strcasecmp(m.internalName.c_str(), text.c_str()) == 0)
            return &m;
    char* end = nullptr;
    const long id = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0') return nullptr;
    for (const CatalogColorMode& m : colorModes_)
        if (m.id == id) return &m;
    return nullptr;
}

const CatalogMediumControl* PrinterCatalog::controlOf(int mediaId) const {
    for (const CatalogMediumControl& c : mediaControl_)
        if (c.mediaId == mediaId) return &c;
    return nullptr;
}

const CatalogResolution* PrinterCatalog::findResolution(double x, double y) const {
    for (const CatalogResolution& r : resolutions_)
        if (std::fabs(r.x - x) < 0.01 && std::fabs(r.y - y) < 0.01) return &r;
    return nullptr;
}

const CatalogResolution* PrinterCatalog::defaultResolution() const {
    for (const CatalogResolution& r : resolutions_)
        if (r.id == defaultResolutionId_) return &r;
    return resolutions_.empty() ? nullptr : &resolutions_.front();
}

std::string PrinterCatalog::colorModeList() const {
    std::string list;
    for (const CatalogColorMode& m : colorModes_)
        list += (list.empty() ? "\"" : ", \"") + m.displayName + "\" (id " + std::to_string(m.id) + ")";
    return list.empty() ? "none" : list;
}
