#include "KIPFtpSettings.h"

#include "AFilePath.h"
#include "AXMLTree.h"

#include <cctype>

namespace {
const char* const kDefaultAddress[KIPFtpSettings::kAddressFields] = {"127", "0", "0", "1"};
const char* const kDefaultPort = "21";
const char* const kDefaultUser = "anonymous";
constexpr uint16_t kStandardPort = 21;
const char* const kAddressNames[KIPFtpSettings::kAddressFields] = {"IP1", "IP2", "IP3", "IP4"};

AString valueOr(const AString& value, const char* fallback) { return value.IsEmpty() ? AString(fallback) : value; }

AFilePath settingsPath() {
    AFilePath path;
    path += "Temp";
    path += "KIPFTPSettings.xml";
    return path;
}
}  // namespace

KIPFtpSettings::Source KIPFtpSettings::Load() {
    const AFilePath path = settingsPath();
    AXMLTree tree("RootElement");
    AXMLTreeNode root;
    const bool missing = !path.exists();
    if (!missing && (!tree.loadFromFile(path.c_str()) || !tree.getRootNode(root))) return kUnreadable;

    // An empty "IP1" stands for the default address, whatever the other three hold.
    const bool defaultAddress = missing || tree.getAttribute(root, kAddressNames[0]).IsEmpty();
    for (int i = 0; i < kAddressFields; ++i)
        ip[i] = defaultAddress ? AString(kDefaultAddress[i]) : tree.getAttribute(root, kAddressNames[i]);
    // Attributes of a missing file read as empty, so they take the defaults too.
    port = valueOr(tree.getAttribute(root, "Port"), kDefaultPort);
    user = valueOr(tree.getAttribute(root, "User"), kDefaultUser);
    password = tree.getAttribute(root, "Password");
    return missing ? kMissing : kRead;
}

bool KIPFtpSettings::Save() const {
    AXMLTree tree("RootElement");
    AXMLTreeNode root;
    if (!tree.getRootNode(root)) return false;
    for (int i = 0; i < kAddressFields; ++i) tree.setAttribute(root, kAddressNames[i], ip[i].c_str());
    tree.setAttribute(root, "Port", port.c_str());
    tree.setAttribute(root, "User", user.c_str());
    tree.setAttribute(root, "Password", password.c_str());
    return tree.saveToFile(settingsPath().GetFullPath().c_str()) != 0;
}

AString KIPFtpSettings::Address() const { return ip[0] + "." + ip[1] + "." + ip[2] + "." + ip[3]; }

int LoadFTPSettings(AString& address, AString& port, AString& user, AString& password) {
    KIPFtpSettings settings;
    const KIPFtpSettings::Source source = settings.Load();
    if (source == KIPFtpSettings::kUnreadable) return 0;
    address = settings.Address();
    port = settings.port;
    user = settings.user;
    if (source == KIPFtpSettings::kMissing) return 0;   // the password stays as it was
    password = settings.password;
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
