#pragma once
// Packing a finished job folder into one zip archive with the packing tool
// "Program(x64)/ZipCompress.exe" of the host's base folder, and sending the
// archive to the printer's FTP server, into its folder "\request\". For the
// job folder <parent>/<job> the archive is <parent>/<job>.zip.
#include "AFile.h"
#include "AFilePath.h"
#include "AString.h"
#include "Platform/PlatformFtp.h"
#include "Platform/PlatformProcess.h"

#include <cstdint>

class KIPDelivery {
public:
    static constexpr size_t kChunkBytes = 300;   // bytes per write to the remote file

    // The packing tool's path under the host's base folder.
    static AFilePath PackingToolPath();
    // The tool's command line for jobFolder: the quoted tool path, then
    // -dir, -zipName and -dirOutput, each value in quotes.
    static AString PackCommandLine(const AString& toolPath, const AFilePath& jobFolder);
    // The archive the tool makes for jobFolder.
    static AFilePath ArchivePath(const AFilePath& jobFolder);

    // Starts the packing tool for jobFolder and waits until it ends; the
    // process stays in `packer` for the caller to close. 0 (logged) when the
    // tool cannot be started, else 1 whatever it did.
    static int PackJobFolder(const AFilePath& jobFolder, PlatformProcess& packer);
    // Sends the archive of jobFolder to the printer named by the FTP settings,
    // closes `packer`, and when removeAfterTransfer is set and the whole
    // archive went out, deletes the archive and the job folder. Failures are
    // logged or shown; nothing local is removed after one (also not when the
    // archive could not be read whole, which the printer gets as a short file).
    static void Deliver(const AFilePath& jobFolder, bool removeAfterTransfer, PlatformProcess& packer);

    // The upload's source: the file's first `length` bytes, at most
    // kChunkBytes per call (each call is one write to the remote file; the
    // FTP client may gather several into one network packet), until they are
    // out or a read gives nothing; `sent` counts what was handed out.
    static PlatformFtp::Reader ChunkReader(AFile& file, int64_t length, int64_t& sent);

private:
    // Sends archive as remoteName; true when every byte of it went out.
    static bool sendArchive(const AFilePath& archive, const AString& remoteName);
};
