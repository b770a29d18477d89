#pragma once
// The host's image writer: writes one image file band by band. The file
// type follows the path's extension (".tif" TIFF, ".bmp" BMP, in any case);
// the destructor completes and closes the file.
//
// Rows are given top row first. Each row of a band is bytesPerRow bytes long;
// the writer keeps as many of them as one stored row holds and fills a
// shorter row with zeros (no ink). Rows missing when the writer is destroyed
// are written as zeros, so the file always matches its stated height.
#include <cstdint>
#include <memory>
#include <vector>

class ImageBandSink;

class ExportBitmap {
public:
    // Creates the file. bitsPerPixel: 1, 2 or 8 (separations) or 32 (CMYK).
    // mode and imageKind are accepted for the host's interface; the format
    // follows from the extension and bitsPerPixel alone. reserved is unused.
    // tagList holds TIFF tag triples (tagListLength characters at most).
    // Failure (bad path, extension or size, file not creatable) is logged and
    // leaves a writer whose WriteBand answers 0.
    ExportBitmap(const char* path, std::uint32_t width, std::uint32_t height, double xResolution,
                 double yResolution, int bitsPerPixel, int mode, int imageKind, void* reserved,
                 const char* tagList, int tagListLength);
    virtual ~ExportBitmap();   // Finish() unless done; never throws

    ExportBitmap(const ExportBitmap&) = delete;
    ExportBitmap& operator=(const ExportBitmap&) = delete;

    // Appends rows rows of bytesPerRow bytes; non-zero on success, 0 (logged) when the
    // file is not open, a write failed, or the rows would pass the image height.
    int WriteBand(std::uint32_t rows, std::uint32_t bytesPerRow, const void* data);

    // Completes and closes the file, writing missing rows as zeros; true when
    // the file was created and every row and the completion were written
    // (false is logged). Later calls answer the same without writing.
    bool Finish() noexcept;

    // Before the first WriteBand: a TIFF of one PackBits strip starts its data
    // after room for its directory, which MoveTiffDirectoryToFront then fills
    // without copying the data. False (logged, the writer failed) when the
    // room cannot be written; a no-op for other files and after rows.
    bool LeaveRoomForDirectory();

    // True while the file is open and no write has failed.
    bool IsOpen() const { return sink_ != nullptr && !failed_; }

private:
    bool writeRow(const unsigned char* row);

    std::unique_ptr<ImageBandSink> sink_;
    std::vector<unsigned char> row_;   // one stored row for rows shorter than that, reused for every row
    std::uint32_t height_ = 0;
    std::uint32_t rowsWritten_ = 0;
    bool failed_ = false;
    bool complete_ = false;   // Finish() wrote the whole file
};
