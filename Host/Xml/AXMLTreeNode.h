#pragma once
// A handle to one element of an AXMLTree; empty when default-constructed.
// It is only meaningful with the tree it came from.
#include <pugixml.hpp>

class AXMLTreeNode {
public:
    AXMLTreeNode() = default;
    explicit AXMLTreeNode(pugi::xml_node node) : node_(node) {}
    bool isEmpty() const { return !node_; }
    pugi::xml_node raw() const { return node_; }

private:
    pugi::xml_node node_;
};
