#pragma once
// What a file named on the command line is, told from its first bytes: a job
// header (one zukip made, or another host's), the raster file of a job, an
// image, or something else. print uses it to say what it was given, make-job
// to know which files it may write over.
#include "JobHeader.h"

#include <string>

enum class FileKindId { Missing, Folder, ZukipJob, JobHeader, RasterFile, Tiff, Png, Jpeg, Bmp, Other };

class FileKind {
public:
    // The kind of the file at path (a symbolic link counts as what it points to).
    static FileKindId of(const std::string& path);
    // The kind in a user's words, for example "a TIFF image" or "the raster file of a job".
    static std::string describe(FileKindId kind);
    static bool isImage(FileKindId kind) { return kind == FileKindId::Tiff || kind == FileKindId::Png || kind == FileKindId::Jpeg; }
    static bool isJob(FileKindId kind) { return kind == FileKindId::ZukipJob || kind == FileKindId::JobHeader; }
    // Marks a header as written by zukip make-job, in bytes the driver does not read.
    static void sign(JobHeaderLayout& header);
};
