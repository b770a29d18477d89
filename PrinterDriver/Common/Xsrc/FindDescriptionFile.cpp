#include "FindDescriptionFile.h"

#include "AEnXMLTree.h"
#include "AFilePath.h"

#include <cstring>

int FindDescriptionFile(const char* modelName, char* fileName) {
    if (!modelName || !fileName) return 0;
    AFilePath path;
    path += "OutputDrivers";
    path += "ZuKIPDes.xml";
    AEnXMLTree index("RootElement");
    AXMLTreeNode root;
    if (!index.loadFromFileEn(path.c_str(), 1) || !index.getRootNode(root)) return 0;

    AXMLTreeNode entry;
    for (int i = 0; index.getChild(i, root, entry); ++i) {
        const AString prefix = index.getAttribute(entry, "Name");
        if (prefix.IsEmpty() || std::strncmp(modelName, prefix, prefix.GetLength()) != 0) continue;
        ZuCopyField(fileName, 256, index.getAttribute(entry, "XMLFile"));
        return 1;
    }
    return 0;
}
