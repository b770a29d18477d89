#include "KIPExportBitmap.h"

KIPExportBitmap::KIPExportBitmap(const char* path, std::uint32_t width, std::uint32_t height,
                                 double xResolution, double yResolution, int bitsPerPixel, int mode,
                                 int imageKind, void* reserved, const char* tagList, int tagListLength)
    : ExportBitmap(path, width, height, xResolution, yResolution, bitsPerPixel, mode, imageKind, reserved,
                   tagList, tagListLength),
      filePath(path) {}

KIPExportBitmap::~KIPExportBitmap() = default;
