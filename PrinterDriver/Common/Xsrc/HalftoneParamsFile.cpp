#include "HalftoneParamsFile.h"

#include "AFilePath.h"
#include "PrinterSetup.h"
#include "ZuDrvUtl.h"

#include <cstdlib>
#include <cstring>

namespace {

// The host keeps these texts in fixed fields that need not be terminated.
AString fieldText(const char* field, int size) { return AString(field, size); }

AFilePath outputDrivers() {
    AFilePath base;
    base += "OutputDrivers";
    return base;
}

// A file name from a list or map file, below "OutputDrivers". The files are
// written on Windows, so their backslashes are folder separators.
AString pathBelowOutputDrivers(const AString& name) {
    AString local(name);
    for (int i = 0; i < local.GetLength(); ++i)
        if (local.GetAt(i) == '\\') local.SetAt(i, '/');
    AFilePath path = outputDrivers();
    path += local;
    return path.GetFullPath();
}

// Loads a file that must not be a folder; the plain reader only for the default file.
bool loadTree(AEnXMLTree& tree, const AString& path, bool plain) {
    if (AFilePath(path).isDirectory()) return false;
    return (plain ? tree.loadFromFile(path, 1) : tree.loadFromFileEn(path, 1)) != 0;
}

// The first child of `parent` (any element name) whose attribute `key` equals `name` ignoring case.
bool findNamedChild(const AXMLTree& tree, const AXMLTreeNode& parent, const char* key, const char* name,
                    AXMLTreeNode& out) {
    const int count = tree.getChildCount(parent);
    for (int i = 0; i < count; ++i) {
        AXMLTreeNode child;
        if (tree.getChild(i, parent, child) && DrvStrICmp(tree.getAttribute(child, key), name) == 0) {
            out = child;
            return true;
        }
    }
    return false;
}

bool isParamsFile(const AString& path) {
    AEnXMLTree tree("RootElement");
    AXMLTreeNode root, hardware;
    return loadTree(tree, path, false) && tree.getRootNode(root) && tree.getChild("PrinterHardware", root, hardware);
}

// What the manufacturer list says about a manufacturer: the file it names
// ("ManufactureXML" or the map file) and, directly or through the map, the
// candidate parameter file for the model.
struct ManufacturerEntry {
    bool found = false;
    AString namedFile;
    AString candidate;
};

ManufacturerEntry lookUpManufacturer(const AString& defaultPath, const char* modelName, const char* manufacturerName) {
    ManufacturerEntry entry;
    AEnXMLTree list("RootElement");
    AXMLTreeNode root, manufacturers, manufacturer;
    if (!loadTree(list, defaultPath, true) || !list.getRootNode(root) ||
        !list.getChild("ManufacturerList", root, manufacturers) ||
        !findNamedChild(list, manufacturers, "Name", manufacturerName, manufacturer))
        return entry;

    const AString ownFile = list.getAttribute(manufacturer, "ManufactureXML");
    if (!ownFile.IsEmpty()) {
        entry.found = true;
        entry.namedFile = entry.candidate = pathBelowOutputDrivers(ownFile);
        return entry;
    }
    const AString mapFile = list.getAttribute(manufacturer, "ManufactureMAPXML");
    if (mapFile.IsEmpty()) return entry;
    entry.found = true;
    entry.namedFile = pathBelowOutputDrivers(mapFile);

    AEnXMLTree map("RootElement");
    AXMLTreeNode mapRoot, model;
    if (loadTree(map, entry.namedFile, false) && map.getRootNode(mapRoot) &&
        findNamedChild(map, mapRoot, "Name", modelName, model))
        entry.candidate = pathBelowOutputDrivers(map.getAttribute(model, "XMLFile"));
    return entry;
}

// Identifier lists are cut to their first 255 characters, as the host's
// fixed buffer would; an item that the cut splits is dropped, not read short,
// since a shortened number would name another identifier.
AString cutIdList(const AString& list) {
    constexpr int kMaxText = 255;
    if (list.GetLength() <= kMaxText) return list;
    const AString cut = list.Left(kMaxText);
    if (list.GetAt(kMaxText) == ',') return cut;
    return cut.Left(cut.ReverseFind(',') + 1);
}

// True when the list holds `id`; reading stops at the first empty item.
// Items of 64 characters or more are skipped like items that are not numbers.
bool idListHolds(const AString& list, int id) {
    constexpr int kMaxItem = 63;
    AString rest = cutIdList(list);
    while (!rest.IsEmpty()) {
        AString item;
        rest = DrvSplitFirst(rest, ",", item);
        if (item.IsEmpty()) return false;
        long value = 0;
        if (item.GetLength() <= kMaxItem && HalftoneParamsFile::ReadInt(item, value) && value == id) return true;
    }
    return false;
}

// The first "Model" whose "ID" contains the model name (case-sensitive), else
// the last one whose "ID" is "Default".
bool selectModel(const AXMLTree& tree, const AXMLTreeNode& hardware, const char* modelName, AXMLTreeNode& model) {
    AXMLTreeNode fallback;
    const int count = tree.getChildCount(hardware);
    for (int i = 0; i < count; ++i) {
        AXMLTreeNode child;
        if (!tree.getChild(i, hardware, child) || tree.getName(child) != "Model") continue;
        const AString ids = tree.getAttribute(child, "ID");
        if (std::strstr(ids, modelName)) {
            model = child;
            return true;
        }
        if (ids == "Default") fallback = child;
    }
    model = fallback;
    return !fallback.isEmpty();
}

}  // namespace

int SelectChildById(const AXMLTree& tree, const AXMLTreeNode& parent, const char* tag, int id, AXMLTreeNode& child) {
    AXMLTreeNode fallback;
    const int count = tree.getChildCount(parent);
    for (int i = 0; i < count; ++i) {
        AXMLTreeNode candidate;
        if (!tree.getChild(i, parent, candidate) || tree.getName(candidate) != tag) continue;
        const AString ids = tree.getAttribute(candidate, "ID");
        if (ids == "Default") {
            fallback = candidate;
        } else if (idListHolds(ids, id)) {
            child = candidate;
            return 1;
        }
    }
    if (fallback.isEmpty()) return 0;
    child = fallback;
    return 1;
}

AString HalftoneParamsFile::Find(const char* defaultName, const char* modelName, const char* manufacturerName) {
    AFilePath defaultPath = outputDrivers();
    defaultPath += defaultName;
    const ManufacturerEntry entry = lookUpManufacturer(defaultPath.GetFullPath(), modelName, manufacturerName);
    if (!entry.candidate.IsEmpty() && isParamsFile(entry.candidate)) return entry.candidate;
    if (entry.found && isParamsFile(entry.namedFile)) return entry.namedFile;
    return defaultPath.GetFullPath();
}

int HalftoneParamsFile::OpenBranch(const AString& path, const char* defaultName, const PrinterSetup& setup) {
    AXMLTreeNode root, hardware, model, media, printMode, resolution;
    if (!loadTree(tree_, path, path.Find(defaultName) >= 0) || !tree_.getRootNode(root) ||
        !tree_.getChild("PrinterHardware", root, hardware))
        return 0;

    const AString modelName = fieldText(setup.modelName, sizeof setup.modelName);
    // A missing model leaves nothing to select the media in, and is reported as such.
    if (!selectModel(tree_, hardware, modelName, model) ||
        !SelectChildById(tree_, model, "Media", setup.mediaId, media)) {
        DrvMessageBox("Getting media node fails");
        return 0;
    }
    if (!SelectChildById(tree_, media, "PrintMode", static_cast<int>(setup.printModeId), printMode)) {
        DrvMessageBox("Getting printmode node fails");
        return 0;
    }
    if (!SelectChildById(tree_, printMode, "Resolution", static_cast<int>(setup.resolutionId), resolution)) {
        DrvMessageBox("Getting resolution node fails");
        return 0;
    }
    if (!SelectChildById(tree_, resolution, "ColorMode", static_cast<int>(setup.colorModeId), colorMode_)) {
        DrvMessageBox("Getting colormode node fails");
        return 0;
    }
    return 1;
}

bool HalftoneParamsFile::ReadFloat(const char* text, float& out) {
    char* end = nullptr;
    const float value = std::strtof(text, &end);
    if (end == text) return false;
    out = value;
    return true;
}

bool HalftoneParamsFile::ReadInt(const char* text, long& out) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text) return false;
    out = value;
    return true;
}
