#pragma once
// What screening and dither parameter files have in common: where the file
// for a printer model lies (default file, manufacturer list, map files), how
// it is read, and how a printer setup selects one branch of it down to the
// colour mode.
#include "AEnXMLTree.h"
#include "AString.h"

class PrinterSetup;

// Selects the first child named `tag` whose "ID" list holds `id`, else the last
// child whose "ID" is "Default"; 1 with `child` set, 0 when neither exists.
int SelectChildById(const AXMLTree& tree, const AXMLTreeNode& parent, const char* tag, int id, AXMLTreeNode& child);

// One halftone parameter file, opened for one printer setup.
class HalftoneParamsFile {
public:
    // The file to read for the model: the manufacturer's own or mapped file when it
    // is a parameter file, else "OutputDrivers/<defaultName>" (which may not exist).
    static AString Find(const char* defaultName, const char* modelName, const char* manufacturerName);

    // Loads `path` (the plain reader when it names `defaultName`) and selects the
    // setup's branch down to "ColorMode"; 1 on success, 0 after the message of the
    // level that failed, or silently when the file, its root or "PrinterHardware" is missing.
    int OpenBranch(const AString& path, const char* defaultName, const PrinterSetup& setup);

    const AXMLTree& tree() const { return tree_; }
    const AXMLTreeNode& colorMode() const { return colorMode_; }   // valid after OpenBranch answered 1

    // Decimal numbers read by the C library's prefix rule in the "C" locale
    // (callers hold an ALocaleSwitcher); false, `out` unchanged, when no number starts the text.
    static bool ReadFloat(const char* text, float& out);
    static bool ReadInt(const char* text, long& out);

private:
    AEnXMLTree tree_{"RootElement"};
    AXMLTreeNode colorMode_;
};
