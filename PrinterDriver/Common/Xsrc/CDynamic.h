#pragma once
// The printer description model: what one KIP printer model offers (media,
// print modes, resolutions, colours, colour modes and their colorants), read
// lazily from the model's description file in "OutputDrivers", and the
// queries that join those lists with the file's "Control_Definition" tree.
//
// States: empty (after construction), usable (a description was loaded),
// not a description (a file whose root is not "Root" was loaded). The first
// load that finishes fixes the model for the object's lifetime. Load faults
// are shown to the user in a message box each time a load is attempted.
#include "AArray.h"
#include "AEnXMLTree.h"
#include "AString.h"
#include "AttributeList.h"
#include "ColorantSet.h"
#include "HostRecords.h"
#include "PrinterSetup.h"

#include <cstdint>
#include <vector>

class CDynamic {
public:
    // Room that name outputs (getColorModeName, getDefaultColorMode) must have.
    static constexpr int kNameSize = 256;

    CDynamic();   // empty: nothing loaded, counts -1
    virtual ~CDynamic();
    CDynamic(const CDynamic&) = delete;
    CDynamic& operator=(const CDynamic&) = delete;

    // Loads the description of modelName unless a load already finished (then 1 at once).
    // Returns 1 when a description is loaded; 0 for a null name, a failed load (after
    // its message box) or a file that is not a description (no message).
    virtual int loadDescription(const char* modelName);
    // The loaded description file (an empty "RootElement" document before any load).
    virtual AEnXMLTree* getXMLTree();
    // The description file's root element; empty before a load.
    virtual AXMLTreeNode getRootNode() const;
    virtual int getMediaCount() const;        // media entries; -1 before a load
    virtual int getPrintModeCount() const;    // print-mode entries; -1 before a load
    virtual int getResolutionCount() const;   // resolution entries; -1 before a load
    virtual int getColorModeCount() const;    // colour-mode entries; -1 before a load

    // Appends the media offered by "Control_Definition" (in its order) to list and sets
    // *defaultMedia; 1, or 0 when the load fails or "Control_Definition" is missing.
    virtual int getMediaList(const char* modelName, MediaList* list, int* defaultMedia);
    // Appends the print modes offered on media (by id) to list; *defaultPosition = child
    // position of the medium's "DefaultPrintMode" (untouched if none); 1, or 0 when not found.
    virtual int getPrintModeList(const char* modelName, const MediaEntry* media, MediaList* list,
                                 int* defaultPosition);
    // Appends the resolutions offered for media and printMode (by id) to list;
    // *defaultPosition = 0; 1, or 0 when the load fails or either node is not found.
    virtual int getResolutionList(const char* modelName, const MediaEntry* media, const MediaEntry* printMode,
                                  ResolutionList* list, int* defaultPosition);
    // 1 when colorModeId may be used at the setup's resolution (*listed = 1 and the display
    // name copied into name when the resolution lists it), else 0. name: kNameSize characters.
    virtual int getColorModeName(int colorModeId, int* listed, char* name, const PrinterSetup* setup);
    // Identifier of the first colour mode displayed as displayName (ignoring case); -1 if none
    // or nothing is loaded. Never loads.
    virtual int findColorMode(const char* displayName);
    // Identifier of the default colour mode at the setup's resolution (its name copied into
    // name, kNameSize characters); 0 when none or on failure; 1 when medium or print mode is missing.
    virtual int getDefaultColorMode(char* name, const PrinterSetup* setup);
    // Fills list (up to its capacity) with the colorants of colorModeId of the model loaded
    // before; 1, or 0 when nothing is loaded or the colour mode is unknown.
    virtual int getColorantList(int colorModeId, ColorantList* list);
    // Replaces order by the plane order ("Order" attribute) of the colour mode at position;
    // the number of bytes, or 0 when there is none or it is malformed.
    virtual int getColorantOrder(int position, AByteArray* order);
    // Base string number of the list named by a child of "BaseResourceNumber"; -1 for
    // none (with a message box when "BaseResourceNumber" or the child is missing).
    virtual int getBaseResourceNumber(const char* name);
    // All XML attributes of the colour mode at position; an empty list outside the colour modes.
    virtual const AttributeList& getColorModeAttributes(int position) const;
    // Finds the "Media", "PrintMode", "Resolution" and "ColorMode" nodes of the setup's ids;
    // 1 when all four are found, else 0 (the outputs found so far are set).
    virtual int findColorModeNodes(const PrinterSetup* setup, AXMLTreeNode* media, AXMLTreeNode* printMode,
                                   AXMLTreeNode* resolution, AXMLTreeNode* colorMode);

    // Non-zero only when a description file (root "Root") is loaded.
    int isLoaded() const { return loaded && isDescription; }
    // The first child of parent named tag whose "ID" (atoi) equals id, or, when ids is
    // empty, the first child named tag; 1 with *out set, 0 when no child qualifies.
    int findControlChild(const AXMLTreeNode& parent, const char* tag, const ADWordArray& ids, int id,
                         AXMLTreeNode* out) const;

private:
    // The "Media" > "PrintMode" path of "Control_Definition" for two ids; 0 at the first miss.
    int findPrintModeNode(int mediaId, int printModeId, AXMLTreeNode* media, AXMLTreeNode* printMode) const;
    // The same path on to the "Resolution" node of the setup's ids; 0 at the first miss.
    int findResolutionNode(const PrinterSetup& setup, AXMLTreeNode* media, AXMLTreeNode* printMode,
                           AXMLTreeNode* resolution) const;
    // Whether the model can answer setup queries: loads setup's model, needs resolutions and colour modes.
    int loadForSetup(const PrinterSetup* setup);
    // Back to the empty state before a load attempt.
    void clearLists();
    // The list readers below show the message of a faulty entry and return 0.
    int readDefinition(const AXMLTreeNode& definition);
    int readNamedList(const AXMLTreeNode& definition, const char* listName, const char* baseName,
                      const char* message, ADWordArray& ids, AStringArray& internalNames,
                      AStringArray& displayNames, int* count);
    int readResolutions(const AXMLTreeNode& definition);
    int readColorModes(const AXMLTreeNode& definition);
    int readColorants(const AXMLTreeNode& colorants, ColorantSet& set);
    // String base + id + 1 of the module's string table, or else the entry's "DisplayName".
    AString displayName(int base, uint32_t id, const AXMLTreeNode& entry) const;

    int loaded = 0;
    int isDescription = 0;
    int defaultMediaId = 0;
    AEnXMLTree tree{"RootElement"};
    AXMLTreeNode rootNode;
    int mediaCount = -1;
    int printModeCount = -1;
    int resolutionCount = -1;
    int colorCount = -1;
    int colorModeCount = -1;
    ADWordArray mediaIds;
    AStringArray mediaInternalNames;
    AStringArray mediaDisplayNames;
    ADWordArray printModeIds;
    AStringArray printModeInternalNames;
    AStringArray printModeDisplayNames;
    ADWordArray resolutionIds;
    std::vector<double> xResolutions;
    std::vector<double> yResolutions;
    AStringArray resolutionDisplayNames;
    ADWordArray colorIds;
    AStringArray colorInternalNames;
    AStringArray colorDisplayNames;
    ADWordArray colorModeIds;
    AStringArray colorModeInternalNames;
    AStringArray colorModeDisplayNames;
    ADWordArray colorModeColorantCounts;
    std::vector<ColorantSet> colorModeColorants;
    std::vector<AttributeList> colorModeAttributes;
    int maxColorModeId = 0;
    AttributeList noAttributes;
};
