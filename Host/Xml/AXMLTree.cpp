#include "AXMLTree.h"

#include <filesystem>
#include <system_error>

namespace {
// Child elements only: text and comment nodes do not count as children.
pugi::xml_node nthElement(pugi::xml_node parent, int index) {
    if (index < 0) return {};
    for (pugi::xml_node n = parent.first_child(); n; n = n.next_sibling())
        if (n.type() == pugi::node_element && index-- == 0) return n;
    return {};
}
}  // namespace

AXMLTree::AXMLTree(const char* rootName) {
    if (rootName && *rootName) doc_.append_child(rootName);
}

int AXMLTree::loadFromFile(const char* path, int) {
    // Regular files only: the parser sizes a folder as a file of 2^63 bytes and
    // tries to allocate that, and a pipe would block the host's thread.
    std::error_code ec;
    if (!path || !std::filesystem::is_regular_file(path, ec)) return 0;
    pugi::xml_document fresh;
    if (!fresh.load_file(path, pugi::parse_default, pugi::encoding_auto)) return 0;
    doc_.reset(fresh);
    return 1;
}

int AXMLTree::loadXML(const char* text, int) {
    if (!text) return 0;
    pugi::xml_document fresh;
    if (!fresh.load_string(text)) return 0;
    doc_.reset(fresh);
    return 1;
}

int AXMLTree::saveToFile(const char* path) const {
    return path && doc_.save_file(path, "  ", pugi::format_default, pugi::encoding_utf8) ? 1 : 0;
}

int AXMLTree::getRootNode(AXMLTreeNode& out) const {
    out = AXMLTreeNode(doc_.document_element());
    return out.isEmpty() ? 0 : 1;
}

int AXMLTree::getChild(const char* name, const AXMLTreeNode& parent, AXMLTreeNode& out) const {
    out = AXMLTreeNode(name ? parent.raw().child(name) : pugi::xml_node());
    return out.isEmpty() ? 0 : 1;
}

int AXMLTree::getChild(int index, const AXMLTreeNode& parent, AXMLTreeNode& out) const {
    out = AXMLTreeNode(nthElement(parent.raw(), index));
    return out.isEmpty() ? 0 : 1;
}

int AXMLTree::getChildCount(const AXMLTreeNode& node) const {
    int count = 0;
    for (pugi::xml_node n = node.raw().first_child(); n; n = n.next_sibling())
        if (n.type() == pugi::node_element) ++count;
    return count;
}

AString AXMLTree::getName(const AXMLTreeNode& node) const { return AString(node.raw().name()); }

AString AXMLTree::getValue(const AXMLTreeNode& node) const { return AString(node.raw().child_value()); }

AString AXMLTree::getAttribute(const AXMLTreeNode& node, const char* name) const {
    return AString(name ? node.raw().attribute(name).value() : "");
}

int AXMLTree::getListAttribute(const AXMLTreeNode& node, AStringArray& names, AStringArray& values) const {
    names.RemoveAll();
    values.RemoveAll();
    if (node.isEmpty()) return 0;
    for (pugi::xml_attribute a : node.raw().attributes()) {
        names.Add(AString(a.name()));
        values.Add(AString(a.value()));
    }
    return 1;
}

int AXMLTree::setAttribute(const AXMLTreeNode& node, const char* name, const char* value) {
    if (node.isEmpty() || !name || !*name) return 0;
    pugi::xml_node n = node.raw();
    pugi::xml_attribute a = n.attribute(name);
    if (!a) a = n.append_attribute(name);
    return a.set_value(value ? value : "") ? 1 : 0;
}

int AXMLTree::addChild(AXMLTreeNode& out, const AXMLTreeNode& parent, const char* name, const char* value, int) {
    if (parent.isEmpty() || !name || !*name) return 0;
    pugi::xml_node child = parent.raw().append_child(name);
    if (value && *value) child.text().set(value);
    out = AXMLTreeNode(child);
    return out.isEmpty() ? 0 : 1;
}
