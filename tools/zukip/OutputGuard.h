#pragma once
// make-job's rule for the files it writes (job, raster file, thumbnail): it
// never writes over one of its input images, and it replaces only files of
// the kinds it writes itself unless the user forces it.
#include <string>
#include <vector>

class OutputGuard {
public:
    // Throws ToolError naming the file when a target is one of inputs (even with force), a folder, or an
    // existing file of another kind than make-job writes there (unless force).
    static void check(const std::string& jobPath, const std::string& rasterPath, const std::string& thumbnailPath,
                      const std::vector<std::string>& inputs, bool force);
};
