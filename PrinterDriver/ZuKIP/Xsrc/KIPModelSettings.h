#pragma once
// The per-model settings of a KIP printer: how job folders, pages, tiles,
// images, thumbnail and tickets are named, which templates belong to the
// model and which optional features it offers. They come from the "Model"
// element of the model's printer description file.
#include "AArray.h"
#include "AEnXMLTree.h"
#include "AString.h"

#include <map>

class PrinterSetup;

class KIPModelSettings {
public:
    KIPModelSettings();
    KIPModelSettings(const KIPModelSettings&) = delete;
    KIPModelSettings& operator=(const KIPModelSettings&) = delete;

    // Reads the "Model" element of the description file of setup->modelName.
    // Returns 1 when read; 0 after a message box when the file, its root, the
    // element or a matching "Name" is missing, leaving every value as it was.
    int LoadModelSettings(const PrinterSetup* setup);

    AEnXMLTree settingsTree{"RootElement"};   // the description file last loaded
    int CreateFolder = 1;                     // a job folder is made for each job

    // Name patterns and file names, each named after its attribute.
    AString TileFolder;
    AString TileName;
    AString PageFolder;
    AString ImageName;
    AString uniqID;
    AString ThumbnailName;
    AString JobTicketTemplate = "JobTicket.xml";
    AString JobTicketFileName = "JobTicket.xml";
    AString JobTicketTileName = "JobTicket.xml";
    AString FolderName = "filenameuniqID";
    AString FinishFile;
    AString AccountingTemplate;
    AString AccountingFileName;
    AString OutputName;

    int TileSeparate = 0;
    int JobTicketForTile = 0;
    int ImageEnhancemen = 0;
    int KAWPDFT = 0;

    AStringArray tileNames;                   // replace tile numbers 0, 1, 2, ... in names
    AStringArray stripNames;                  // replace strip numbers
    std::map<AString, AString> colorNames;    // colour name -> colour id in file names

private:
    // Finds the "Model" element for modelName; empty after a message box when there is none.
    AXMLTreeNode findModelNode(const char* modelName);
    void readTexts(const AXMLTreeNode& model);
    void readFlags(const AXMLTreeNode& model);
    void readColorIds(const AXMLTreeNode& model);
};
