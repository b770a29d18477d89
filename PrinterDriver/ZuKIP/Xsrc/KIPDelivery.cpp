#include "KIPDelivery.h"

#include "KIPFtpSettings.h"
#include "ZuDrvUtl.h"

#include "RVLog.h"

#include <algorithm>

#define DELIVERY_LOG RV_LOG("PrinterDriver\\ZuKIP\\Xsrc\\KIPDelivery")

AFilePath KIPDelivery::PackingToolPath() {
    AFilePath path;
    path += "Program(x64)";
    path += "ZipCompress.exe";
    return path;
}

AString KIPDelivery::PackCommandLine(const AString& toolPath, const AFilePath& jobFolder) {
    AFilePath parent(jobFolder);
    parent--;
    return "\"" + toolPath + "\" " + "-dir \"" + jobFolder.GetFullPath() + "\" " + "-zipName \"" +
           jobFolder.getFileName() + ".zip\" " + "-dirOutput \"" + parent.GetFullPath() + "\"";
}

AFilePath KIPDelivery::ArchivePath(const AFilePath& jobFolder) {
    AFilePath archive(jobFolder);
    archive--;
    archive += jobFolder.getFileName() + ".zip";
    return archive;
}

int KIPDelivery::PackJobFolder(const AFilePath& jobFolder, PlatformProcess& packer) {
    const AFilePath tool = PackingToolPath();
    if (!packer.Start(tool.GetFullPath().str(), PackCommandLine(tool.GetFullPath(), jobFolder).str())) {
        DELIVERY_LOG("CreateProcess err=%d", PlatformProcess::LastError());
        return 0;
    }
    packer.Wait(PlatformProcess::kInfinite);
    // The archive on disk is what counts, not what the tool says.
    int exitCode = 0;
    if (!packer.ExitCode(exitCode)) DELIVERY_LOG("GetExitCodeProcess err=%d", PlatformProcess::LastError());
    return 1;
}

PlatformFtp::Reader KIPDelivery::ChunkReader(AFile& file, int64_t length, int64_t& sent) {
    return [&file, length, &sent](uint8_t* buffer, size_t size) -> size_t {
        if (sent >= length) return 0;
        const auto want = static_cast<unsigned>(std::min<int64_t>({static_cast<int64_t>(kChunkBytes),
                                                                    static_cast<int64_t>(size), length - sent}));
        const unsigned got = file.Read(buffer, want);
        sent += got;
        return got;
    };
}

bool KIPDelivery::sendArchive(const AFilePath& archive, const AString& remoteName) {
    AString address, port, user, password;
    if (!LoadFTPSettings(address, port, user, password) || !archive.exists()) {
        DELIVERY_LOG("LoadFTPSettings or zipFile.exists");
        return false;
    }
    // A server that cannot be reached or refuses the login raises here, as
    // the framework's connection does, and is reported like a failed transfer.
    try {
        PlatformFtp ftp(MakeFtpAccount(address, port, user, password), false);
        AFile local;
        int64_t length = 0;
        int64_t sent = 0;
        // An archive that cannot be opened leaves the remote file empty.
        if (local.Open(archive.c_str(), AFile::modeRead | AFile::typeBinary)) length = local.GetLength();
        ftp.Upload(remoteName.str(), ChunkReader(local, length, sent));
        return local.IsOpen() && sent == length;
    } catch (const FtpError& e) {
        DrvMessageBox(e.what());
        DrvMessageBox(kFtpFailure);
        return false;
    }
}

void KIPDelivery::Deliver(const AFilePath& jobFolder, bool removeAfterTransfer, PlatformProcess& packer) {
    const AFilePath archive = ArchivePath(jobFolder);
    const bool sent = sendArchive(archive, "\\request\\" + jobFolder.getFileName() + ".zip");
    packer.Close();
    if (!removeAfterTransfer || !sent) return;
    AFile::DeleteFile(archive.c_str());
    AFile::RecursiveDelete(jobFolder.c_str());
}
