#include "KIPModelSettings.h"

#include "AFilePath.h"
#include "FindDescriptionFile.h"
#include "PrinterSetup.h"
#include "ZuDrvUtl.h"

#include <cstring>

namespace {
// A yes-flag is on only when spelt "yes" in any case; anything else is off.
int yesFlag(const AString& value) { return DrvStrICmp(value, "YES") == 0 ? 1 : 0; }

// A no-flag is off only when spelt "no" in any case; missing or empty is on.
int noFlag(const AString& value) { return DrvStrICmp(value, "No") == 0 ? 0 : 1; }

// Splits a comma list into items, dropping empty ones and keeping blanks.
void splitList(const AString& text, AStringArray& items) {
    items.RemoveAll();
    AString rest = text;
    while (!rest.IsEmpty()) {
        AString head;
        rest = DrvSplitFirst(rest, ",", head);
        if (!head.IsEmpty()) items.Add(head);
    }
}

void fail(const char* message) { DrvMessageBox(message, 0, nullptr, nullptr); }
}  // namespace

KIPModelSettings::KIPModelSettings() = default;

int KIPModelSettings::LoadModelSettings(const PrinterSetup* setup) {
    // The setup's name field need not be terminated within its 64 bytes.
    const AString modelName = setup ? AString(setup->modelName, sizeof setup->modelName) : AString();
    const AXMLTreeNode model = findModelNode(modelName);
    if (model.isEmpty()) return 0;
    readTexts(model);
    readFlags(model);
    splitList(settingsTree.getAttribute(model, "tileID"), tileNames);
    splitList(settingsTree.getAttribute(model, "stripID"), stripNames);
    readColorIds(model);
    return 1;
}

AXMLTreeNode KIPModelSettings::findModelNode(const char* modelName) {
    char fileName[256] = {};
    if (!FindDescriptionFile(modelName, fileName)) {
        fail("Cannot get XML ");
        return {};
    }
    AFilePath path;
    path += "OutputDrivers";
    path += fileName;
    // A failed load keeps the previous document in the tree; it must not be
    // mistaken for this model's file, so the root then counts as missing.
    const bool loaded = settingsTree.loadFromFileEn(path.c_str(), 1) != 0;
    if (!loaded) fail("Loading description file fails");
    AXMLTreeNode root;
    if (!loaded || !settingsTree.getRootNode(root)) {
        fail("Getting root node fails");
        return {};
    }
    AXMLTreeNode model;
    if (!settingsTree.getChild("Model", root, model)) {
        fail("Getting Model node fails");
        return {};
    }
    if (settingsTree.getAttribute(model, "Name").str() != modelName) {
        fail("Getting Model name fails");
        return {};
    }
    return model;
}

void KIPModelSettings::readTexts(const AXMLTreeNode& model) {
    const struct { const char* name; AString* value; } texts[] = {
        {"TileFolder", &TileFolder},
        {"TileName", &TileName},
        {"PageFolder", &PageFolder},
        {"ImageName", &ImageName},
        {"uniqID", &uniqID},
        {"ThumbnailName", &ThumbnailName},
        {"JobTicketTemplate", &JobTicketTemplate},
        {"JobTicketFileName", &JobTicketFileName},
        {"JobTicketTileName", &JobTicketTileName},
        {"OutputName", &OutputName},
        {"FolderName", &FolderName},
        {"FinishFile", &FinishFile},
        {"AccountingTemplate", &AccountingTemplate},
        {"AccountingFileName", &AccountingFileName},
    };
    for (const auto& text : texts) *text.value = settingsTree.getAttribute(model, text.name);
}

void KIPModelSettings::readFlags(const AXMLTreeNode& model) {
    ImageEnhancemen = yesFlag(settingsTree.getAttribute(model, "ImageEnhancemen"));
    KAWPDFT = yesFlag(settingsTree.getAttribute(model, "KAWPDFT"));
    TileSeparate = noFlag(settingsTree.getAttribute(model, "TileSeparate"));
    JobTicketForTile = noFlag(settingsTree.getAttribute(model, "JobTicketForTile"));
    CreateFolder = noFlag(settingsTree.getAttribute(model, "CreateFolder"));
}

void KIPModelSettings::readColorIds(const AXMLTreeNode& model) {
    // A mapping removed from the file must not outlive the reload.
    colorNames.clear();
    AXMLTreeNode list;
    if (!settingsTree.getChild("colorID", model, list)) return;
    AXMLTreeNode entry;
    for (int i = 0; settingsTree.getChild(i, list, entry); ++i) {
        const AString name = settingsTree.getAttribute(entry, "colorName");
        const AString id = settingsTree.getAttribute(entry, "colorID");
        if (!name.IsEmpty() && !id.IsEmpty()) colorNames[name] = id;
    }
}
