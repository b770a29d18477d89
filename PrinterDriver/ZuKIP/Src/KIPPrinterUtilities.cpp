#include "KIPPrinterUtilities.h"

#include "AEnXMLTree.h"
#include "AFilePath.h"
#include "AXMLTree.h"
#include "Platform/PlatformProcess.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {
const char* const kToolPathFile = "KIP_kawpdft.xml";
const char* const kAddressFile = "MACaddress.log";

AString tempFile(const char* name) {
    AFilePath path;
    path += "Temp";
    path += name;
    return path.GetFullPath();
}

// Windows resolves a relative application name against the caller's folder,
// while posix_spawn would resolve it in the tool's folder it changes to.
AString absolutePath(const AString& path) {
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(path.str(), ec);
    return ec ? path : AString(full.string());
}

// The address file's text: at most its first kAddressTextMax bytes, up to a
// zero byte; empty when the file is missing.
AString readAddressText(const AString& path) {
    char text[KIPPrinterUtilities::kAddressTextMax + 1] = {};
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (!file) return AString();
    const size_t count = std::fread(text, 1, KIPPrinterUtilities::kAddressTextMax, file);
    std::fclose(file);
    text[count] = 0;
    return AString(text);
}
}  // namespace

int KIPPrinterUtilities::RunTool(const AString& toolPath, const AString& args) {
    const AString application = absolutePath(toolPath);
    AFilePath folder(application);
    folder--;
    PlatformProcess tool;
    if (!tool.Start(application.str(), ("\"" + toolPath + "\"" + args).str(), folder.GetFullPath().str())) return 0;
    // A tool that hangs holds the dialog no longer than this; it is left running.
    tool.Wait(kToolWaitMs);
    tool.Close();
    return 1;
}

KIPPrinterUtilities::WakeResult KIPPrinterUtilities::WakeUpPrinter(const AString& toolPath,
                                                                    const uint8_t address[4]) {
    if (toolPath.IsEmpty()) return wakeNoTool;
    const AString addressFile = AddressFilePath();
    if (!RunTool(toolPath, AddressRequest(address, addressFile))) return wakeToolNotStarted;
    const AString macText = readAddressText(addressFile);
    if (macText.IsEmpty()) return wakeNoAddress;
    return RunTool(toolPath, WakeUpCall(macText)) ? wakeSent : wakeToolNotStarted;
}

int KIPPrinterUtilities::SaveToolPath(const AString& toolPath) {
    AXMLTree file("RootElement");
    AXMLTreeNode root, tool;
    if (!file.getRootNode(root) || !file.addChild(tool, root, "kawpdft", "") ||
        !file.setAttribute(tool, "path", toolPath.c_str()))
        return 0;
    return file.saveToFile(ToolPathFilePath().c_str()) ? 1 : 0;
}

int KIPPrinterUtilities::LoadToolPath(AString& toolPath) {
    AEnXMLTree file("RootElement");
    AXMLTreeNode root, tool;
    if (!file.loadFromFileEn(ToolPathFilePath().c_str()) || !file.getRootNode(root) ||
        !file.getChild("kawpdft", root, tool))
        return 0;
    toolPath = file.getAttribute(tool, "path");
    return 1;
}

AString KIPPrinterUtilities::AddressRequest(const uint8_t address[4], const AString& addressFile) {
    // The byte before "u" is 0x96, the en dash of Windows-1252, as the tool expects it.
    AString args;
    args.Format(" -M -i %d.%d.%d.%d \x96u \"%s\"", address[0], address[1], address[2], address[3],
                addressFile.c_str());
    return args;
}

AString KIPPrinterUtilities::WakeUpCall(const AString& macText) {
    AString args;
    args.Format(" -W %s", macText.c_str());
    return args;
}

AString KIPPrinterUtilities::AddressFilePath() { return tempFile(kAddressFile); }

AString KIPPrinterUtilities::ToolPathFilePath() { return tempFile(kToolPathFile); }
