#pragma once
// The reading variant of the XML tree, used for description and parameter
// files: its loader also accepts a file that starts with a UTF-8 byte order mark.
#include "AXMLTree.h"

class AEnXMLTree : public AXMLTree {
public:
    explicit AEnXMLTree(const char* rootName) : AXMLTree(rootName) {}
    int loadFromFileEn(const char* path, int flag = 1) { return loadFromFile(path, flag); }
};
