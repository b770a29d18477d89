#pragma once
// The KIP engine's image writer: the host's writer that also remembers the
// path it writes, so the engine can post-process the file once it is closed.
#include "AFilePath.h"
#include "ExportBitmap.h"

class KIPExportBitmap : public ExportBitmap {
public:
    // Same arguments and failure behaviour as ExportBitmap; stores path in filePath.
    KIPExportBitmap(const char* path, std::uint32_t width, std::uint32_t height, double xResolution,
                    double yResolution, int bitsPerPixel, int mode, int imageKind, void* reserved,
                    const char* tagList, int tagListLength);
    ~KIPExportBitmap() override;

    AFilePath filePath;   // the path the image was created with
};
