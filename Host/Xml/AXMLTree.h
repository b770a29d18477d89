#pragma once
// One XML document of the host's XML library. Lookups on missing nodes
// answer 0 or empty text, so calls can be chained without checks.
#include "AArray.h"
#include "AString.h"
#include "AXMLTreeNode.h"

#include <pugixml.hpp>

class AXMLTree {
public:
    explicit AXMLTree(const char* rootName);   // a fresh document with that root element
    virtual ~AXMLTree() = default;
    AXMLTree(const AXMLTree&) = delete;
    AXMLTree& operator=(const AXMLTree&) = delete;

    int loadFromFile(const char* path, int flag = 1);   // non-zero on success; 0 when missing, no regular file or malformed
    int loadXML(const char* text, int flag = 1);        // non-zero on success
    int saveToFile(const char* path) const;             // non-zero on success

    int getRootNode(AXMLTreeNode& out) const;           // the document element
    int getChild(const char* name, const AXMLTreeNode& parent, AXMLTreeNode& out) const;
    int getChild(int index, const AXMLTreeNode& parent, AXMLTreeNode& out) const;
    int getChildCount(const AXMLTreeNode& node) const;  // child elements only
    AString getName(const AXMLTreeNode& node) const;
    AString getValue(const AXMLTreeNode& node) const;   // the element's text content
    AString getAttribute(const AXMLTreeNode& node, const char* name) const;  // "" when absent
    int getListAttribute(const AXMLTreeNode& node, AStringArray& names, AStringArray& values) const;
    int setAttribute(const AXMLTreeNode& node, const char* name, const char* value);
    int addChild(AXMLTreeNode& out, const AXMLTreeNode& parent, const char* name, const char* value, int position = -1);

protected:
    pugi::xml_document doc_;
};
