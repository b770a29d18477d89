#include "DitherParams.h"

#include "ALocaleSwitcher.h"
#include "HalftoneParamsFile.h"
#include "HostRecords.h"
#include "PrinterSetup.h"
#include "ZuDrvUtl.h"

#include <algorithm>
#include <cstdint>

namespace {
constexpr const char* kDefaultFile = "Ditherparams.xml";
constexpr int kMaxInks = 16;
constexpr int kMaxSteps = 64;
// The host asks for 256 levels of modes that have no dither parameters at all;
// a missing "DitherParams" is then expected and not worth a message.
constexpr int kContinuousLevels = 256;

// One "Weight" element: the weight of one ink at one step.
struct Weight {
    float value = 0;
    int ink = 0;
    int step = 0;
};

// Reads a "Weight"; false when a value is not a number or the ink or step lies
// outside the table, so that such weights are ignored as a whole.
bool readWeight(const AXMLTree& tree, const AXMLTreeNode& node, Weight& weight) {
    long ink = 0, step = 0;
    const AString inkText = tree.getAttribute(node, "ColorInk");
    if (inkText.CompareNoCase("Default") != 0 && !HalftoneParamsFile::ReadInt(inkText, ink)) return false;
    if (!HalftoneParamsFile::ReadFloat(tree.getAttribute(node, "Value"), weight.value) ||
        !HalftoneParamsFile::ReadInt(tree.getAttribute(node, "Level"), step))
        return false;
    if (ink < 0 || ink >= kMaxInks || step < 0 || step >= kMaxSteps) return false;
    weight.ink = static_cast<int>(ink);
    weight.step = static_cast<int>(step);
    return true;
}

// Stores the weights of "Level"; when the file gives fewer weights than the
// table's inks need, the inks without weights get those of the first ink given.
void readWeights(const AXMLTree& tree, const AXMLTreeNode& level, DitherTable& table) {
    bool seen[kMaxInks] = {};
    int firstInk = -1;
    const int children = tree.getChildCount(level);
    for (int i = 0; i < children; ++i) {
        AXMLTreeNode node;
        Weight weight;
        if (!tree.getChild(i, level, node) || tree.getName(node) != "Weight" || !readWeight(tree, node, weight))
            continue;
        seen[weight.ink] = true;
        if (firstInk < 0) firstInk = weight.ink;
        table.weights[kMaxSteps * weight.ink + weight.step] = weight.value;
    }

    const int64_t needed = (static_cast<int64_t>(table.levels) - 1) * table.inkCount;
    if (firstInk < 0 || children >= needed) return;
    const int inks = std::clamp(table.inkCount, 0, kMaxInks);
    const int steps = static_cast<int>(std::clamp<int64_t>(static_cast<int64_t>(table.levels) - 1, 0, kMaxSteps));
    const float* source = &table.weights[kMaxSteps * firstInk];
    for (int k = 0; k < inks; ++k)
        if (!seen[k]) std::copy(source, source + steps, &table.weights[kMaxSteps * k]);
}
}  // namespace

int FindDitherParamsFile(const char* modelName, const char* manufacturerName, AString& path) {
    path = HalftoneParamsFile::Find(kDefaultFile, modelName, manufacturerName);
    return 1;
}

int LoadDitherParams(AString path, const PrinterSetup* setup, DitherTable* table) {
    if (!setup || !table) return 0;
    const ALocaleSwitcher cNumbers;
    HalftoneParamsFile file;
    if (!file.OpenBranch(path, kDefaultFile, *setup)) return 0;
    const AXMLTree& tree = file.tree();

    AXMLTreeNode params, level, antiClog, noise;
    if (!SelectChildById(tree, file.colorMode(), "DitherParams", table->levels, params)) {
        if (table->levels != kContinuousLevels) DrvMessageBox("Getting ditherparams node fails");
        return 0;
    }
    if (!tree.getChild("Level", params, level)) {
        DrvMessageBox("Getting ditherparams-level node fails");
        return 0;
    }
    long levels = 0;
    if (!HalftoneParamsFile::ReadInt(tree.getAttribute(level, "Value"), levels) || levels != table->levels) return 0;
    readWeights(tree, level, *table);

    if (!tree.getChild("AntiClogLevel", params, antiClog)) {
        DrvMessageBox("Getting ditherparams-anti clog level node fails");
        return 0;
    }
    long antiClogLevel = 0;
    if (HalftoneParamsFile::ReadInt(tree.getAttribute(antiClog, "Value"), antiClogLevel))
        table->antiClog = static_cast<int32_t>(std::clamp<long>(antiClogLevel, INT32_MIN, INT32_MAX));

    if (!tree.getChild("NoiseLevel", params, noise)) {
        DrvMessageBox("Getting ditherparams-noise level node fails");
        return 0;
    }
    HalftoneParamsFile::ReadFloat(tree.getAttribute(noise, "Value"), table->noise);
    return 1;
}
