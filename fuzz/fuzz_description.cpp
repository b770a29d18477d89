// Fuzzes the printer description model: the input is the description file of
// model "KIP 700m"; every query a host makes is run on it, walking the media,
// print modes and resolutions the file itself offers (a few of each).
#include "CDynamic.h"
#include "FuzzSupport.h"
#include "PlatformMessageBox.h"

#include <cstring>

namespace {
constexpr size_t kWalk = 3;            // entries of each list the walk descends into
constexpr int kColorModeIds = 6;       // colour-mode ids asked for (plus one negative)

void requireTerminated(const char* text, size_t size, const char* what) {
    if (!std::memchr(text, '\0', size)) FuzzFail(what);
}

// A name output (filled with 'x' before the call) is either left alone, as for a listed
// mode the definition lacks, or a terminated text; true for a text.
bool requireNameKeptOrTerminated(const char (&name)[CDynamic::kNameSize]) {
    for (char c : name) {
        if (c != 'x') {
            requireTerminated(name, sizeof name, "colour mode name not terminated");
            return true;
        }
    }
    return false;
}

void queryColorModes(CDynamic& model, const PrinterSetup& setup) {
    char name[CDynamic::kNameSize];
    std::memset(name, 'x', sizeof name);
    model.getDefaultColorMode(name, &setup);
    requireNameKeptOrTerminated(name);
    for (int id = -1; id < kColorModeIds; ++id) {
        int listed = 0;
        std::memset(name, 'x', sizeof name);
        if (model.getColorModeName(id, &listed, name, &setup) && requireNameKeptOrTerminated(name))
            model.findColorMode(name);
    }
}

void queryColorants(CDynamic& model) {
    // A small capacity checks that the list is never filled past it.
    ColorantEntry entries[3];
    for (int id = -1; id < kColorModeIds; ++id) {
        ColorantList list{0, entries, 2};
        std::memset(entries, 0x5A, sizeof entries);
        if (model.getColorantList(id, &list)) {
            if (list.count < 0 || list.count > 2) FuzzFail("colorant count outside the list's capacity");
            if (entries[2].name[0] != 0x5A) FuzzFail("colorant written past the list's capacity");
            for (int i = 0; i < list.count; ++i) {
                requireTerminated(entries[i].name, sizeof entries[i].name, "colorant name not terminated");
                requireTerminated(entries[i].displayName, sizeof entries[i].displayName,
                                  "colorant display name not terminated");
            }
        }
    }
    for (int position = -1; position <= model.getColorModeCount(); ++position) {
        AByteArray order;
        model.getColorantOrder(position, &order);
        model.getColorModeAttributes(position).lookup("Order");
    }
}

void walkResolutions(CDynamic& model, const MediaEntry& media, const MediaEntry& printMode) {
    ResolutionList resolutions;
    int defaultPosition = -1;
    model.getResolutionList(kFuzzModel, &media, &printMode, &resolutions, &defaultPosition);
    for (size_t i = 0; i < resolutions.size() && i < kWalk; ++i) {
        requireTerminated(resolutions[i].displayName, sizeof resolutions[i].displayName,
                          "resolution name not terminated");
        PrinterSetup setup;
        std::strcpy(setup.modelName, kFuzzModel);
        setup.mediaId = media.id;
        setup.printModeId = static_cast<uint32_t>(printMode.id);
        setup.resolutionId = resolutions[i].id;
        queryColorModes(model, setup);
        AXMLTreeNode nodes[4];
        model.findColorModeNodes(&setup, &nodes[0], &nodes[1], &nodes[2], &nodes[3]);
    }
}

void walkMedia(CDynamic& model) {
    MediaList media;
    int defaultMedia = -1;
    model.getMediaList(kFuzzModel, &media, &defaultMedia);
    for (size_t i = 0; i < media.size() && i < kWalk; ++i) {
        requireTerminated(media[i].displayName, sizeof media[i].displayName, "media name not terminated");
        requireTerminated(media[i].internalName, sizeof media[i].internalName, "media name not terminated");
        MediaList printModes;
        int defaultPosition = -1;
        model.getPrintModeList(kFuzzModel, &media[i], &printModes, &defaultPosition);
        for (size_t j = 0; j < printModes.size() && j < kWalk; ++j) walkResolutions(model, media[i], printModes[j]);
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WriteFuzzDescription(data, size);
    MessageBoxCapture boxes;
    CDynamic model;
    if (!model.loadDescription(kFuzzModel)) return 0;
    walkMedia(model);
    queryColorants(model);
    for (const char* list : {"BaseMedia", "BasePrintMode", "BaseResolution", "BaseColor", "BaseColorMode", "Other"})
        model.getBaseResourceNumber(list);
    return 0;
}
