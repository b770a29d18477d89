#include "ScreeningParams.h"

#include "ALocaleSwitcher.h"
#include "HostRecords.h"
#include "PrinterSetup.h"

namespace {
constexpr const char* kDefaultFile = "ScreeningParams.xml";
constexpr int kMaxScreens = 256;

// Fills one entry from an "Item"; an angle or frequency that is not a number
// keeps the entry's earlier value.
void readItem(const AXMLTree& tree, const AXMLTreeNode& item, const AString& colorName, ScreenEntry& entry) {
    HalftoneParamsFile::ReadFloat(tree.getAttribute(item, "Angle"), entry.angle);
    HalftoneParamsFile::ReadFloat(tree.getAttribute(item, "Frequency"), entry.frequency);
    ZuCopyField(entry.shape, sizeof entry.shape, tree.getAttribute(item, "ShapeName"));
    ZuCopyField(entry.colorName, sizeof entry.colorName, colorName);
}
}  // namespace

int FindScreeningParamsFile(const char* modelName, const char* manufacturerName, AString& path) {
    path = HalftoneParamsFile::Find(kDefaultFile, modelName, manufacturerName);
    return 1;
}

int LoadScreeningParams(AString path, const PrinterSetup* setup, ScreenTable* table) {
    if (!setup || !table) return 0;
    const ALocaleSwitcher cNumbers;
    HalftoneParamsFile file;
    if (!file.OpenBranch(path, kDefaultFile, *setup)) return 0;

    const AXMLTree& tree = file.tree();
    const int count = tree.getChildCount(file.colorMode());
    int n = 0;
    for (int i = 0; i < count && n < kMaxScreens; ++i) {
        AXMLTreeNode item;
        if (!tree.getChild(i, file.colorMode(), item) || tree.getName(item) != "Item") continue;
        const AString colorName = tree.getAttribute(item, "ColorName");
        if (colorName.IsEmpty()) continue;
        readItem(tree, item, colorName, table->entries[n]);
        table->count = ++n;
    }
    return 1;
}
