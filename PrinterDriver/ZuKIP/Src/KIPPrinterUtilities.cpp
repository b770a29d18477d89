#include "KIPPrinterUtilities.h"

#include "KIPFtpSettings.h"
#include "ZuDrvUtl.h"

#include "AEnXMLTree.h"
#include "AFilePath.h"
#include "AXMLTree.h"
#include "Platform/PlatformFtp.h"
#include "Platform/PlatformProcess.h"
#include "RVLog.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

// The utilities are the dialog's command handlers and log as the dialog does.
#define UTILITIES_LOG RV_LOG("PrinterDriver\\ZuKIP\\Src\\CDriverOptionDialog")

namespace {
const char* const kToolPathFile = "KIP_kawpdft.xml";
const char* const kAddressFile = "MACaddress.log";
const char* const kRemoteInformationFile = "\\logdir\\statinfo\\IPSUnattend.Dat";
constexpr size_t kErrorTextSize = 1024;
// A printer information file is a few kilobytes of text; more is not one.
constexpr size_t kMaxInformationBytes = 16u << 20;

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
// Replaces path with bytes through a temporary file, so that a failed write keeps the old copy.
bool replaceFile(const AString& path, const std::vector<uint8_t>& bytes) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path target(path.str());
    fs::create_directories(target.parent_path(), ec);
    const fs::path temporary = target.string() + ".part";
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (out) fs::rename(temporary, target, ec);
    if (!out || ec) {
        fs::remove(temporary, ec);
        return false;
    }
    return true;
}

// One download of the information file; true when the success message was shown.
// A connection that cannot be made raises, as the framework's does, so it is
// an attempt that failed (tried again in passive mode), never a "pConn" entry;
// a file the server says it lacks is the missing file object.
bool downloadInformationFile(const FtpAccount& account, bool passive) {
    PlatformFtp ftp(account, passive);
    std::vector<uint8_t> data;
    int64_t length = 0;
    if (!ftp.Download(kRemoteInformationFile, kMaxInformationBytes, data, length)) {
        UTILITIES_LOG("CInternetFile *file=NULL");
        return false;
    }
    const AString local = KIPPrinterUtilities::InformationFilePath();
    const auto count = static_cast<int>(data.size());
    if (count == 0) {
        UTILITIES_LOG("resSize %d length %d", count, static_cast<int>(length));
    } else if (!replaceFile(local, data)) {
        // The old copy stays; the user learns why the media table did not change.
        UTILITIES_LOG("Cannot write %s", local.c_str());
        DrvMessageBox(("Cannot write " + local).c_str());
        return false;
    }
    DrvMessageFromString(KIPPrinterUtilities::kSuccessString, 0, nullptr, "Success");
    return true;
}
}  // namespace

bool KIPPrinterUtilities::ReadMediaFromPrinter() {
    AString address, port, user, password;
    if (!LoadFTPSettings(address, port, user, password)) return false;
    const FtpAccount account = MakeFtpAccount(address, port, user, password);
    // First in active mode; a failed attempt is tried once more in passive mode.
    for (int countTry = 0;; ++countTry) {
        try {
            return downloadInformationFile(account, countTry > 0);
        } catch (const FtpError& e) {
            // The FTP client's own error number stands for the system's last error.
            const std::string text = std::string(e.what()).substr(0, kErrorTextSize - 1);
            UTILITIES_LOG("Last error %d countTry %d bufError %s", e.code(), countTry, text.c_str());
            DrvMessageBox(e.what());
        } catch (const std::exception&) {
            UTILITIES_LOG("Last error %d countTry %d", errno, countTry);
        }
        if (countTry > 0) {
            DrvMessageBox(kFtpFailure);
            return false;
        }
    }
}

AString KIPPrinterUtilities::InformationFilePath() {
    AFilePath path;
    path += "OutputDrivers";
    path += "KIP";
    path += "KipUnattend.dat";
    return path.GetFullPath();
}

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
