#include "CDynamic.h"

#include "AFilePath.h"
#include "ALocaleSwitcher.h"
#include "FindDescriptionFile.h"
#include "ZuColorNames.h"
#include "ZuDrvUtl.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int kMaxListValue = 10000;    // identifiers, depths and spot values of the file
constexpr size_t kListNameLength = 64;  // names given to the host's media and resolution lists

const char* skipSpace(const char* p) {
    while (*p && std::isspace(static_cast<unsigned char>(*p))) ++p;
    return p;
}

// Reads a decimal integer at the start of text as scanf's "%d" does (leading
// blanks, optional sign, digits, anything after ignored). Values beyond 32 bits
// saturate, so range checks reject them. False when there is no number.
bool scanInt(const char* text, int32_t& out) {
    if (!text) return false;
    const char* p = skipSpace(text);
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    if (!std::isdigit(static_cast<unsigned char>(*p))) return false;
    int64_t value = 0;
    for (; std::isdigit(static_cast<unsigned char>(*p)); ++p)
        value = std::min<int64_t>(value * 10 + (*p - '0'), int64_t{INT32_MAX} + 1);
    value = negative ? -value : value;
    out = static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
    return true;
}

// Reads a 32-bit float at the start of text as scanf's "%f" does (hexadecimal
// and underflowing values included), in the "C" locale whatever the process's.
// False when there is no number.
bool scanFloat(const char* text, float& out) {
    if (!text) return false;
    const ALocaleSwitcher cNumbers;
    char* end = nullptr;
    const float value = std::strtof(text, &end);
    if (end == text) return false;
    out = value;
    return true;
}

// The C library's atoi without its undefined overflow: text that is not a number counts as 0.
int32_t atoiLike(const char* text) {
    int32_t value = 0;
    return scanInt(text, value) ? value : 0;
}

bool inListRange(int32_t value) { return value >= 0 && value <= kMaxListValue; }
bool inListRange(float value) { return value >= 0.0f && value <= static_cast<float>(kMaxListValue); }   // NaN fails

// Position of id in ids, or -1.
int positionOf(const ADWordArray& ids, int32_t id) {
    if (id < 0) return -1;
    for (int k = 0; k < ids.GetSize(); ++k)
        if (ids[k] == static_cast<uint32_t>(id)) return k;
    return -1;
}

AString childText(const AXMLTree& tree, const AXMLTreeNode& parent, const char* name) {
    AXMLTreeNode child;
    tree.getChild(name, parent, child);
    return tree.getValue(child);   // empty for a missing child
}

// The "ID" attribute of a "Control_Definition" node, read like atoi.
int32_t controlId(const AXMLTree& tree, const AXMLTreeNode& node) {
    return atoiLike(tree.getAttribute(node, "ID"));
}

// Reads the list entry's child "ID"; false when it is missing, not a number or out of range.
bool readEntryId(const AXMLTree& tree, const AXMLTreeNode& entry, uint32_t& id) {
    int32_t value = 0;
    if (!scanInt(childText(tree, entry, "ID"), value) || !inListRange(value)) return false;
    id = static_cast<uint32_t>(value);
    return true;
}

// Clears a 256-character host field and copies at most the first 64 characters of text.
void copyListName(char (&field)[256], const char* text) {
    std::memset(field, 0, sizeof field);
    std::memcpy(field, text, strnlen(text, kListNameLength));
}

// One entry of a media or print-mode list.
MediaEntry listEntry(uint32_t id, const char* displayName, const char* internalName) {
    MediaEntry entry{};
    entry.id = static_cast<int32_t>(id);
    copyListName(entry.displayName, displayName);
    copyListName(entry.internalName, internalName);
    return entry;
}

// A colorant's display colour (0x00BBGGRR): "#r,g,b" names give their numbers,
// a missing or non-numeric component stays 255; other names are the host's colours.
uint32_t displayColor(const char* name) {
    if (name[0] != '#') return GetZuColorValue(name);
    uint32_t color = 0xFFFFFF;
    AString rest(name + 1);
    for (int shift = 0; shift < 24 && !rest.IsEmpty(); shift += 8) {
        AString head;
        rest = DrvSplitFirst(rest, ",", head);
        int32_t value = 0;
        if (scanInt(head, value))
            color = (color & ~(0xFFu << shift)) | ((static_cast<uint32_t>(value) & 0xFFu) << shift);
    }
    return color;
}

// Visits, in document order, each child of parent named tag whose "ID" is in ids,
// with its position among all children and its position in ids.
template <typename Visit>
void forEachKnownChild(const AXMLTree& tree, const AXMLTreeNode& parent, const char* tag, const ADWordArray& ids,
                       Visit visit) {
    AXMLTreeNode child;
    for (int p = 0; tree.getChild(p, parent, child); ++p) {
        if (tree.getName(child) != tag) continue;
        const int k = positionOf(ids, controlId(tree, child));
        if (k >= 0) visit(p, k);
    }
}

// The model name at the start of a printer setup, which may fill its field without a terminator.
std::string modelNameOf(const PrinterSetup& setup) {
    return std::string(setup.modelName, strnlen(setup.modelName, sizeof setup.modelName));
}

}  // namespace

CDynamic::CDynamic() = default;

CDynamic::~CDynamic() = default;

int CDynamic::loadDescription(const char* modelName) {
    if (loaded) return 1;
    if (!modelName) return 0;
    // Every attempt starts from the empty state, so a retry after a failed load
    // never sees entries (or the description flag) of the failed attempt.
    clearLists();

    char fileName[256] = {};
    if (!FindDescriptionFile(modelName, fileName)) {
        DrvMessageBox("Cannot get XML ");
        return 0;
    }
    // The index may name files in subfolders with the host's backslashes.
    std::replace(fileName, fileName + sizeof fileName, '\\', '/');
    AFilePath path;
    path += "OutputDrivers";
    path += fileName;
    if (!tree.loadFromFileEn(path.c_str(), 1)) {
        DrvMessageBox("Loading description file fails");
        return 0;
    }
    if (!tree.getRootNode(rootNode)) {
        DrvMessageBox("Getting root node fails");
        return 0;
    }
    if (tree.getName(rootNode) != "Root") {
        // Not a description: the engine falls back on its built-in tables.
        loaded = 1;
        return 0;
    }
    isDescription = 1;
    AXMLTreeNode definition;
    if (!tree.getChild("Definition", rootNode, definition)) {
        DrvMessageBox("Getting DEFINITIONNODE node fails");
        return 0;
    }
    if (!readDefinition(definition)) return 0;
    loaded = 1;
    return 1;
}

void CDynamic::clearLists() {
    isDescription = 0;
    defaultMediaId = 0;
    rootNode = AXMLTreeNode();
    mediaCount = printModeCount = resolutionCount = colorCount = colorModeCount = -1;
    for (ADWordArray* ids : {&mediaIds, &printModeIds, &resolutionIds, &colorIds, &colorModeIds,
                             &colorModeColorantCounts})
        ids->RemoveAll();
    for (AStringArray* names : {&mediaInternalNames, &mediaDisplayNames, &printModeInternalNames,
                                &printModeDisplayNames, &resolutionDisplayNames, &colorInternalNames,
                                &colorDisplayNames, &colorModeInternalNames, &colorModeDisplayNames})
        names->RemoveAll();
    xResolutions.clear();
    yResolutions.clear();
    colorModeColorants.clear();
    colorModeAttributes.clear();
    maxColorModeId = 0;
}

int CDynamic::readDefinition(const AXMLTreeNode& definition) {
    AXMLTreeNode mediaList;
    if (tree.getChild("MediaList", definition, mediaList) && tree.getChildCount(mediaList) > 0) {
        int32_t value = 0;
        if (scanInt(tree.getAttribute(mediaList, "DefaultMedia"), value)) defaultMediaId = value;
    }
    if (!readNamedList(definition, "MediaList", "BaseMedia", "Wrong media index.", mediaIds, mediaInternalNames,
                       mediaDisplayNames, &mediaCount))
        return 0;
    if (!readNamedList(definition, "PrintModeList", "BasePrintMode", "Wrong PrintMode index.", printModeIds,
                       printModeInternalNames, printModeDisplayNames, &printModeCount))
        return 0;
    if (!readResolutions(definition)) return 0;

    AXMLTreeNode colorList;
    if (!tree.getChild("ColorList", definition, colorList)) {
        DrvMessageBox("Loading COLORLISTNODE fails.");
        return 0;
    }
    if (tree.getChildCount(colorList) == 0) {
        DrvMessageBox("Wrong nClrDefCount");
        return 0;
    }
    if (!readNamedList(definition, "ColorList", "BaseColor", "Wrong Color index.", colorIds, colorInternalNames,
                       colorDisplayNames, &colorCount))
        return 0;
    return readColorModes(definition);
}

int CDynamic::readNamedList(const AXMLTreeNode& definition, const char* listName, const char* baseName,
                            const char* message, ADWordArray& ids, AStringArray& internalNames,
                            AStringArray& displayNames, int* count) {
    AXMLTreeNode list;
    tree.getChild(listName, definition, list);   // a missing list reads as one without entries
    const int base = getBaseResourceNumber(baseName);
    AXMLTreeNode entry;
    for (int i = 0; tree.getChild(i, list, entry); ++i) {
        uint32_t id = 0;
        if (!readEntryId(tree, entry, id)) {
            DrvMessageBox(message);
            return 0;
        }
        ids.Add(id);
        internalNames.Add(childText(tree, entry, "InternalName"));
        displayNames.Add(displayName(base, id, entry));
    }
    *count = tree.getChildCount(list);
    return 1;
}

int CDynamic::readResolutions(const AXMLTreeNode& definition) {
    AXMLTreeNode list;
    if (!tree.getChild("ResolutionList", definition, list)) {
        DrvMessageBox("Loading RESOLUTONLISTNODE fails.");
        return 0;
    }
    const int base = getBaseResourceNumber("BaseResolution");
    AXMLTreeNode entry;
    for (int i = 0; tree.getChild(i, list, entry); ++i) {
        uint32_t id = 0;
        float x = 0, y = 0;
        const char* fault = nullptr;
        if (!readEntryId(tree, entry, id))
            fault = "Wrong Resolution index.";
        else if (!scanFloat(childText(tree, entry, "XResValue"), x) || !inListRange(x))
            fault = "Wrong xResolution.";
        else if (!scanFloat(childText(tree, entry, "YResValue"), y) || !inListRange(y))
            fault = "Wrong yResolution.";
        if (fault) {
            DrvMessageBox(fault);
            return 0;
        }
        resolutionIds.Add(id);
        xResolutions.push_back(x);
        yResolutions.push_back(y);
        resolutionDisplayNames.Add(displayName(base, id, entry));
    }
    resolutionCount = tree.getChildCount(list);
    return 1;
}

int CDynamic::readColorModes(const AXMLTreeNode& definition) {
    AXMLTreeNode list;
    if (!tree.getChild("ColorModeList", definition, list)) return 0;
    const int count = tree.getChildCount(list);
    const int base = getBaseResourceNumber("BaseColorMode");
    AXMLTreeNode entry;
    for (int i = 0; tree.getChild(i, list, entry); ++i) {
        uint32_t id = 0;
        if (!readEntryId(tree, entry, id)) {
            DrvMessageBox("Wrong color mode index.");
            return 0;
        }
        AttributeList attributes;
        tree.getListAttribute(entry, attributes.names, attributes.values);
        AXMLTreeNode colorants;
        tree.getChild("ColorantList", entry, colorants);   // missing: a mode without colorants
        ColorantSet set;
        if (!readColorants(colorants, set)) return 0;

        maxColorModeId = std::max(maxColorModeId, static_cast<int>(id));
        colorModeIds.Add(id);
        colorModeInternalNames.Add(childText(tree, entry, "InternalName"));
        colorModeDisplayNames.Add(displayName(base, id, entry));
        colorModeColorantCounts.Add(static_cast<uint32_t>(tree.getChildCount(colorants)));
        colorModeColorants.push_back(std::move(set));
        colorModeAttributes.push_back(std::move(attributes));
    }
    colorModeCount = count;
    return 1;
}

int CDynamic::readColorants(const AXMLTreeNode& colorants, ColorantSet& set) {
    AXMLTreeNode colorant;
    for (int i = 0; tree.getChild(i, colorants, colorant); ++i) {
        const int32_t color = atoiLike(tree.getAttribute(colorant, "ID"));
        if (color < 0 || color >= colorCount) {
            DrvMessageBox("Wrong color ID.");
            return 0;
        }
        set.internalNames.Add(colorInternalNames[color]);
        set.displayNames.Add(colorDisplayNames[color]);
        int32_t depth = 0;
        if (!scanInt(childText(tree, colorant, "ColorDepth"), depth) || !inListRange(depth)) {
            DrvMessageBox("Wrong color depth.");
            return 0;
        }
        set.depths.Add(static_cast<uint32_t>(depth));
        int32_t spot = 0;
        if (!scanInt(tree.getAttribute(colorant, "IsSpotColor"), spot) || !inListRange(spot)) {
            DrvMessageBox("Wrong color spot.");
            return 0;
        }
        set.spotFlags.Add(spot == 1 ? 1 : 0);
    }
    return 1;
}

AString CDynamic::displayName(int base, uint32_t id, const AXMLTreeNode& entry) const {
    if (base != -1) {
        char text[256] = {};
        // The string number wraps like the unsigned arithmetic of the resource loader.
        const uint32_t number = static_cast<uint32_t>(base) + id + 1;
        if (DrvLoadString(static_cast<int>(number), text, sizeof text) > 0) return AString(text);
    }
    return childText(tree, entry, "DisplayName");
}

AEnXMLTree* CDynamic::getXMLTree() { return &tree; }

AXMLTreeNode CDynamic::getRootNode() const { return rootNode; }

int CDynamic::getMediaCount() const { return mediaCount; }

int CDynamic::getPrintModeCount() const { return printModeCount; }

int CDynamic::getResolutionCount() const { return resolutionCount; }

int CDynamic::getColorModeCount() const { return colorModeCount; }

int CDynamic::getBaseResourceNumber(const char* name) {
    AXMLTreeNode bases, node;
    if (!tree.getChild("BaseResourceNumber", rootNode, bases)) {
        DrvMessageBox("Getting BASERESOURCENODE node fails");
        return -1;
    }
    if (!tree.getChild(name, bases, node)) {
        DrvMessageBox("Getting szNode node fails");
        return -1;
    }
    int32_t base = -1;
    return scanInt(tree.getValue(node), base) ? base : -1;
}

const AttributeList& CDynamic::getColorModeAttributes(int position) const {
    if (position < 0 || position >= static_cast<int>(colorModeAttributes.size())) return noAttributes;
    return colorModeAttributes[static_cast<size_t>(position)];
}

int CDynamic::findControlChild(const AXMLTreeNode& parent, const char* tag, const ADWordArray& ids, int id,
                               AXMLTreeNode* out) const {
    AXMLTreeNode child;
    for (int p = 0; tree.getChild(p, parent, child); ++p) {
        if (tree.getName(child) != tag) continue;
        if (ids.GetSize() == 0 || controlId(tree, child) == id) {
            if (out) *out = child;
            return 1;
        }
    }
    return 0;
}

int CDynamic::findPrintModeNode(int mediaId, int printModeId, AXMLTreeNode* media, AXMLTreeNode* printMode) const {
    AXMLTreeNode control;
    return tree.getChild("Control_Definition", rootNode, control) &&
           findControlChild(control, "Media", mediaIds, mediaId, media) &&
           findControlChild(*media, "PrintMode", printModeIds, printModeId, printMode);
}

int CDynamic::findResolutionNode(const PrinterSetup& setup, AXMLTreeNode* media, AXMLTreeNode* printMode,
                                 AXMLTreeNode* resolution) const {
    return findPrintModeNode(setup.mediaId, static_cast<int32_t>(setup.printModeId), media, printMode) &&
           findControlChild(*printMode, "Resolution", resolutionIds, static_cast<int32_t>(setup.resolutionId),
                            resolution);
}

int CDynamic::loadForSetup(const PrinterSetup* setup) {
    return setup && loadDescription(modelNameOf(*setup).c_str()) && resolutionCount > 0 && colorModeCount > 0;
}

int CDynamic::getMediaList(const char* modelName, MediaList* list, int* defaultMedia) {
    if (!list || !loadDescription(modelName)) return 0;
    if (defaultMedia) *defaultMedia = defaultMediaId;
    if (mediaCount <= 0) return 1;
    AXMLTreeNode control;
    if (!tree.getChild("Control_Definition", rootNode, control)) return 0;
    forEachKnownChild(tree, control, "Media", mediaIds, [&](int, int k) {
        list->push_back(listEntry(mediaIds[k], mediaDisplayNames[k], mediaInternalNames[k]));
    });
    return 1;
}

int CDynamic::getPrintModeList(const char* modelName, const MediaEntry* media, MediaList* list,
                               int* defaultPosition) {
    if (!media || !list || !loadDescription(modelName) || printModeCount <= 0) return 0;
    AXMLTreeNode control, medium;
    if (!tree.getChild("Control_Definition", rootNode, control) ||
        !findControlChild(control, "Media", mediaIds, media->id, &medium))
        return 0;
    int32_t defaultId = 0;
    const bool hasDefault = scanInt(tree.getAttribute(medium, "DefaultPrintMode"), defaultId);
    forEachKnownChild(tree, medium, "PrintMode", printModeIds, [&](int position, int k) {
        // The default is a position among all of the medium's children, as the host expects.
        if (hasDefault && defaultPosition && printModeIds[k] == static_cast<uint32_t>(defaultId))
            *defaultPosition = position;
        list->push_back(listEntry(printModeIds[k], printModeDisplayNames[k], printModeInternalNames[k]));
    });
    return 1;
}

int CDynamic::getResolutionList(const char* modelName, const MediaEntry* media, const MediaEntry* printMode,
                                ResolutionList* list, int* defaultPosition) {
    if (!media || !printMode || !list || !loadDescription(modelName) || resolutionCount <= 0) return 0;
    AXMLTreeNode medium, mode;
    if (!findPrintModeNode(media->id, printMode->id, &medium, &mode)) return 0;
    forEachKnownChild(tree, mode, "Resolution", resolutionIds, [&](int, int k) {
        const size_t at = static_cast<size_t>(k);
        ResolutionEntry entry{};
        entry.xResolution = at < xResolutions.size() ? xResolutions[at] : 100.0;
        entry.yResolution = at < yResolutions.size() ? yResolutions[at] : 100.0;
        entry.id = resolutionIds[k];
        copyListName(entry.displayName, resolutionDisplayNames[k]);
        list->push_back(entry);
    });
    if (defaultPosition) *defaultPosition = 0;
    return 1;
}

int CDynamic::getColorModeName(int colorModeId, int* listed, char* name, const PrinterSetup* setup) {
    if (!loadForSetup(setup)) return 0;
    AXMLTreeNode media, printMode, resolution, colorMode;
    if (!findResolutionNode(*setup, &media, &printMode, &resolution)) return 0;
    if (listed) *listed = 0;
    if (findControlChild(resolution, "ColorMode", colorModeIds, colorModeId, &colorMode)) {
        const int k = positionOf(colorModeIds, colorModeId);
        if (k >= 0 && name) ZuCopyField(name, kNameSize, colorModeDisplayNames[k]);
        if (listed) *listed = 1;
        return 1;
    }
    // Modes the resolution does not list stay usable up to the file's largest id, never above 100.
    return colorModeId <= 100 && colorModeId <= maxColorModeId ? 1 : 0;
}

int CDynamic::findColorMode(const char* displayName) {
    if (!loaded || colorModeCount <= 0 || !displayName) return -1;
    for (int k = 0; k < colorModeDisplayNames.GetSize(); ++k)
        if (DrvStrICmp(colorModeDisplayNames[k], displayName) == 0) return static_cast<int>(colorModeIds[k]);
    return -1;
}

int CDynamic::getDefaultColorMode(char* name, const PrinterSetup* setup) {
    if (!loadForSetup(setup)) return 0;
    AXMLTreeNode control, media, printMode, resolution;
    if (!tree.getChild("Control_Definition", rootNode, control)) return 0;
    if (!findPrintModeNode(setup->mediaId, static_cast<int32_t>(setup->printModeId), &media, &printMode)) return 1;

    const int32_t resolutionId = static_cast<int32_t>(setup->resolutionId);
    AString defaultText;
    if (positionOf(resolutionIds, resolutionId) >= 0 &&
        findControlChild(printMode, "Resolution", resolutionIds, resolutionId, &resolution))
        defaultText = tree.getAttribute(resolution, "DefaultColorMode");
    const int32_t id = atoiLike(defaultText);
    const int k = positionOf(colorModeIds, id);
    if (k >= 0 && name) ZuCopyField(name, kNameSize, colorModeDisplayNames[k]);
    return id;
}

int CDynamic::getColorantList(int colorModeId, ColorantList* list) {
    if (!list || !loadDescription(nullptr)) return 0;
    const int m = positionOf(colorModeIds, colorModeId);
    if (m < 0 || m >= static_cast<int>(colorModeColorants.size())) return 0;
    const ColorantSet& set = colorModeColorants[static_cast<size_t>(m)];
    const int room = list->capacity > 0 ? list->capacity : kColorantCapacity;
    const int count = std::min(set.internalNames.GetSize(), room);
    if (count > 0 && !list->entries) return 0;
    for (int i = 0; i < count; ++i) {
        ColorantEntry& entry = list->entries[i];
        ZuCopyField(entry.name, sizeof entry.name, set.internalNames[i]);
        ZuCopyField(entry.displayName, sizeof entry.displayName, set.displayNames[i]);
        entry.spot = set.spotFlags[i];
        entry.one = 1;
        entry.bitsPerPixel = set.depths[i];
        entry.color = displayColor(set.internalNames[i]);
    }
    list->count = count;
    return 1;
}

int CDynamic::getColorantOrder(int position, AByteArray* order) {
    if (!order || !loadDescription(nullptr)) return 0;
    order->RemoveAll();
    const AString value = getColorModeAttributes(position).lookup("Order");
    if (value.IsEmpty()) return 0;
    for (const char* p = value;;) {
        int32_t plane = 0;
        if (!scanInt(p, plane)) {
            order->RemoveAll();
            return 0;
        }
        order->Add(static_cast<uint8_t>(plane & 0xFF));
        const char* comma = std::strchr(p, ',');
        if (!comma || comma[1] == '\0') return order->GetSize();
        p = comma + 1;
    }
}

int CDynamic::findColorModeNodes(const PrinterSetup* setup, AXMLTreeNode* media, AXMLTreeNode* printMode,
                                 AXMLTreeNode* resolution, AXMLTreeNode* colorMode) {
    if (!loadForSetup(setup)) return 0;
    AXMLTreeNode found[4];
    const int all = findResolutionNode(*setup, &found[0], &found[1], &found[2]) &&
                    findControlChild(found[2], "ColorMode", colorModeIds,
                                     static_cast<int32_t>(setup->colorModeId), &found[3]);
    AXMLTreeNode* outs[4] = {media, printMode, resolution, colorMode};
    for (int i = 0; i < 4; ++i)
        if (outs[i]) *outs[i] = found[i];
    return all;
}
