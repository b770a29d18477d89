// Refuses to let make-job replace its inputs or files it did not write.
#include "OutputGuard.h"

#include "FileKind.h"
#include "ToolError.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    if (fs::equivalent(a, b, ec)) return true;
    return fs::absolute(a, ec).lexically_normal() == fs::absolute(b, ec).lexically_normal();
}

void checkTarget(const std::string& target, FileKindId ownKind, const std::vector<std::string>& inputs, bool force) {
    for (const std::string& input : inputs)
        if (sameFile(target, input))
            throw ToolError("will not write " + target + " over the input image " + input +
                            "; choose another job file name with -o");
    const FileKindId kind = FileKind::of(target);
    if (kind == FileKindId::Missing || kind == ownKind || (force && kind != FileKindId::Folder)) return;
    throw ToolError(target + " already exists and is " + FileKind::describe(kind) +
                    (kind == FileKindId::Folder ? "" : "; make-job replaces only files it made itself (--force replaces it anyway)"));
}

}  // namespace

void OutputGuard::check(const std::string& jobPath, const std::string& rasterPath, const std::string& thumbnailPath,
                        const std::vector<std::string>& inputs, bool force) {
    checkTarget(jobPath, FileKindId::ZukipJob, inputs, force);
    checkTarget(rasterPath, FileKindId::RasterFile, inputs, force);
    checkTarget(thumbnailPath, FileKindId::Bmp, inputs, force);
}
