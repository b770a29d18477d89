#include "KIPFtpSettings.h"

#include "AFilePath.h"
#include "AXMLTree.h"

#include <cctype>

namespace {
const char* const kDefaultAddress = "127.0.0.1";
const char* const kDefaultPort = "21";
const char* const kDefaultUser = "anonymous";
constexpr uint16_t kStandardPort = 21;

AString valueOr(const AString& value, const char* fallback) { return value.IsEmpty() ? AString(fallback) : value; }
}  // namespace

int LoadFTPSettings(AString& address, AString& port, AString& user, AString& password) {
    AFilePath path;
    path += "Temp";
    path += "KIPFTPSettings.xml";
    if (!path.exists()) {
        address = kDefaultAddress;
        port = kDefaultPort;
        user = kDefaultUser;
        return 0;
    }
    AXMLTree tree("RootElement");
    AXMLTreeNode root;
    if (!tree.loadFromFile(path.c_str()) || !tree.getRootNode(root) || root.isEmpty()) return 0;

    const AString first = tree.getAttribute(root, "IP1");
    if (first.IsEmpty()) {
        address = kDefaultAddress;
    } else {
        address = first + "." + tree.getAttribute(root, "IP2") + "." + tree.getAttribute(root, "IP3") + "." +
                  tree.getAttribute(root, "IP4");
    }
    port = valueOr(tree.getAttribute(root, "Port"), kDefaultPort);
    user = valueOr(tree.getAttribute(root, "User"), kDefaultUser);
    password = tree.getAttribute(root, "Password");
    return 1;
}

uint16_t FtpPortNumber(const AString& port) {
    uint32_t value = 0;
    const char* p = port.c_str();
    while (std::isspace(static_cast<unsigned char>(*p))) ++p;
    for (; std::isdigit(static_cast<unsigned char>(*p)); ++p) value = (value * 10 + static_cast<uint32_t>(*p - '0')) & 0xFFFF;
    return value ? static_cast<uint16_t>(value) : kStandardPort;
}

FtpAccount MakeFtpAccount(const AString& address, const AString& port, const AString& user, const AString& password) {
    return FtpAccount{address.str(), FtpPortNumber(port), user.str(), password.str()};
}
