#include "RTL.h"

#include "DriverError.h"
#include "KIPBuiltinColors.h"
#include "KIPColorSuffixes.h"
#include "KIPDelivery.h"
#include "KIPMediaList.h"
#include "KIPNamePattern.h"
#include "TiffDirectoryMover.h"
#include "ZuDrvUtl.h"

#include "AFile.h"
#include "AGroupImage.h"
#include "RVLog.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <new>
#include <system_error>

#define RTL_LOG RV_LOG("PrinterDriver\\ZuKIP\\Xsrc\\RTL")

namespace {
// Every image carries these TIFF tags; "%d" is the page height in rows
// (RowsPerStrip: the whole image is one strip).
constexpr char kTagTemplate[] =
    "int16 259 32773 int32 263 2 int32 266 1 int32 274 1 int32 278 %d str 285 page__test str 305 Qel str 306 2011";
static_assert(sizeof kTagTemplate - 1 == 108);

constexpr int kImageMode = 6;
constexpr int kSeparationImageKind = 0;
constexpr int kCombinedImageKind = 2;
constexpr int kCombinedBitsPerPixel = 32;
constexpr int kCombinedChannels = 4;
constexpr uint8_t kBmpFileType = 1;
constexpr int kPortMessage = 9002;
constexpr int kHostNameSize = 64;          // the host's colour mode name buffers
// Row buffers past this are a corrupt page, not paper.
constexpr uint64_t kMaxRowBufferBytes = 1ull << 30;
// Leaves room for the unique number, colour and extension within a file name.
constexpr int kMaxNameStem = 200;
// Colour mode 3 (CMYKOr) pages may carry a seventh plane that the printer has no ink for.
constexpr int kOrangeMode = 3;
constexpr int kOrangeModeSparePlane = 6;

const char* const kWriteDataError = "Write Data Error";
const char* const kDefaultSeparationName = "filename_uniqID_colorID";
const char* const kDefaultThumbnailName = "thumbnail.bmp";
const char* const kDefaultTileExtension = ".tif";
const char* const kPageFolderInfix = "_Page_";
constexpr int kFirstTilingKind = 3;   // tilingKind from which the request describes tiles
constexpr int kMinTileCount = 2;

constexpr ABaseRTL::ScreenDefault kCombinedScreens[] = {{"Cyan", 15.0f}, {"Magenta", 75.0f}, {"Yellow", 90.0f}, {"Black", 45.0f}};
constexpr float kCombinedScreenFrequency = 60.0f;

// Bytes of one output row of `pixels` pixels, rounded up to a multiple of four.
uint64_t rowLengthOf(uint64_t bitsPerPixel, uint64_t pixels) { return (bitsPerPixel * pixels + 31) / 32 * 4; }

// The fresh entry of a colorant list: all zero but the two fields that are 1.
ColorantEntry freshColorant() {
    ColorantEntry entry{};
    entry.one = 1;
    entry.bitsPerPixel = 1;
    return entry;
}

// Keeps a name derived from the document inside one path component of
// reasonable length: separators become "_", a name of dots alone (".", "..")
// becomes underscores, and it is cut to kMaxNameStem characters.
AString safeNameStem(const AString& name) {
    std::string text = name.str().substr(0, kMaxNameStem);
    for (char& c : text)
        if (AFilePath::isSeparator(c)) c = '_';
    if (!text.empty() && text.find_first_not_of('.') == std::string::npos) std::replace(text.begin(), text.end(), '.', '_');
    return AString(std::move(text));
}

// The name pattern with the extension of the file type the options ask for:
// the writer follows the extension, so a model pattern ending in ".tif" must
// not make a job that asks for BMP write TIFF. An image extension of the
// pattern (".tif", ".tiff", ".bmp", any case) is replaced, any other kept
// and followed by the right one.
AString withImageExtension(const AString& name, const char* extension) {
    const int dot = name.ReverseFind('.');
    const AString current = dot >= 0 ? name.Mid(dot) : AString();
    if (current.CompareNoCase(extension) == 0) return name;
    const bool image = current.CompareNoCase(".tif") == 0 || current.CompareNoCase(".tiff") == 0 ||
                       current.CompareNoCase(".bmp") == 0;
    return (image ? name.Left(dot) : name) + extension;
}

bool isTiffPath(const AString& path) {
    const int n = path.GetLength();
    return n >= 4 && path.Right(4).CompareNoCase(".tif") == 0;
}

// The combined image's channel of a plane: C, M, Y, K by name in any case, else the first.
int channelOf(const AString& name) {
    static const char* const kChannels[kCombinedChannels] = {"Cyan", "Magenta", "Yellow", "Black"};
    for (int c = 0; c < kCombinedChannels; ++c)
        if (name.CompareNoCase(kChannels[c]) == 0) return c;
    return 0;
}

void copyName(char* out, const char* name) {
    if (out) ZuCopyField(out, kHostNameSize, name);
}
}  // namespace

RTL::RTL()
    : colorantEntries(kColorantCapacity, freshColorant()),
      colorants{0, colorantEntries.data(), kColorantCapacity},
      tagTemplate(kTagTemplate) {}

RTL::~RTL() {
    rowBuffer.reset();
    // Finishes a last image still open (blank images stay open until the next image).
    currentImage.reset();
}

AString RTL::modelNameOf(const char* field) { return AString(field, kHostNameSize); }

int RTL::loadModelDescription(const AString& modelName) {
    // No description is named by an empty model; asking would only show a message.
    return description.loadDescription(modelName.IsEmpty() ? nullptr : modelName.c_str());
}

bool RTL::loadSetupDescription(const PrinterSetup* query) {
    return loadModelDescription(query ? modelNameOf(query->modelName) : AString()) != 0;
}

// ---------------------------------------------------------------------------
// Job start and host queries

int RTL::StartJob(DriverJob* job, int reserved, OutputPort* port, DriverOptions* block) {
    if (!job || !block) return 0;
    loadModelDescription(modelNameOf(job->modelName));
    APageBaseRTL::StartJob(job, reserved, port, block);
    options = block;
    // A host need not call SetOutputName: its job is then written into the
    // host's base folder, which always exists.
    outputFolder = AFilePath();
    jobFolder = outputFolder;
    baseName.Empty();
    inPageFolder = false;
    tileIndex = 0;
    tileImage = nullptr;
    openTiles.clear();
    // Each job records the tiles of its own first tiled page: blank tiles
    // named after another job's tiles would not belong to this one.
    tileRecords.clear();
    recordTiles = 1;

    colorants.count = 0;
    if (description.isLoaded()) {
        if (!description.getColorantList(job->colorMode, &colorants)) {
            colorants.count = 0;
            RTL_LOG("The description of %s has no colour mode %d", settings->model, job->colorMode);
            return 0;
        }
        separationCount = colorants.count;
    } else {
        separationCount = KIPBuiltinColors::ApplySeparationRule(job->colorMode);
        if (separationCount == 0) {
            RTL_LOG("Colour mode %d cannot be written without a printer description", job->colorMode);
            return 0;
        }
    }

    PrinterSetup modelSetup;
    std::memcpy(modelSetup.modelName, job->modelName, sizeof modelSetup.modelName);
    modelSettings.LoadModelSettings(&modelSetup);
    jobTicket.SetStartTokens(AString(job->jobName, sizeof job->jobName),
                             AString(job->jobText3, sizeof job->jobText3), job->widthDpi, job->pageWidth,
                             settings->mediaId, *options);
    return 1;
}

int RTL::GetDeviceResolution(int* x, int* y) {
    if (x) *x = 1;
    if (y) *y = 1;
    return 1;
}

int RTL::GetColorModeName(int index, int* flag, char* name, PrinterSetup* query) {
    loadSetupDescription(query);
    if (!description.isLoaded()) return APageBaseRTL::GetColorModeName(index, flag, name, query);
    // The description may hold longer names than the host's buffer takes.
    char text[CDynamic::kNameSize] = {};
    const int result = description.getColorModeName(index, flag, text, query);
    if (text[0]) copyName(name, text);
    return result;
}

int RTL::GetColorantList(int colorMode, ColorantList* list) {
    if (description.isLoaded()) return description.getColorantList(colorMode, list);
    return KIPBuiltinColors::GetColorantList(colorMode, list);
}

int RTL::FindColorMode(const char* name) {
    if (description.isLoaded()) return description.findColorMode(name);
    return APageBaseRTL::FindColorMode(name);
}

int RTL::GetDefaultColorMode(char* name, PrinterSetup* query) {
    if (!description.isLoaded()) return APageBaseRTL::GetDefaultColorMode(name, query);
    char text[CDynamic::kNameSize] = {};
    const int result = description.getDefaultColorMode(text, query);
    if (text[0]) copyName(name, text);
    return result;
}

int RTL::GetScreeningTable(ScreenTable* table, PrinterSetup*) {
    if (!combinedMode || !table) return 1;
    FillScreens(*table, kCombinedScreens, "Round", kCombinedScreenFrequency);
    return 1;
}

int RTL::GetMediaList(const PrinterSetup*, MediaList* list, int* defaultMedia) {
    if (!list) return 0;
    return KIPMediaList::GetMediaList(*list, defaultMedia);
}

int RTL::GetMediaControl(const PrinterSetup* query, const MediaEntry* media, const MediaEntry* printMode,
                         ResolutionList* list, int* defaultPosition) {
    if (!query || !loadSetupDescription(query) || !description.isLoaded()) return 0;
    return description.getResolutionList(modelNameOf(query->modelName), media, printMode, list, defaultPosition);
}

int RTL::ValidateOptions(DriverOptions* block) {
    if (block) ValidateOptionsBlock(block);
    return 1;
}

int RTL::SelectPlanes(int colorMode) {
    // StartJob has just tried to load the job's model; trying again would only repeat its message.
    if (description.isLoaded()) {
        AByteArray order;
        if (description.getColorantOrder(colorMode, &order) > 0) {
            for (const uint8_t colorant : order) track->selectedColorants.Add(colorant);
            return 1;
        }
    }
    // Without an order of its own a colour mode prints its colorants as listed.
    return APageBaseRTL::SelectPlanes(colorMode);
}

// ---------------------------------------------------------------------------
// Output names and folders

int RTL::SetOutputName(const char* outputPath, intptr_t value) {
    APageBaseRTL::SetOutputName(outputPath, value);
    if (!settings) return 0;
    if (settings->portCode != kFilePort) {
        DrvMessageFromString(kPortMessage);
        return 0;
    }
    const char* documentName = reinterpret_cast<const char*>(value);
    MakeBaseName(documentName ? documentName : "", baseName);
    const int made = MakeJobFolder(outputPath ? outputPath : "");
    jobFolder = outputFolder;
    if (!made) return 0;
    // A thumbnail the host gave but that could not be copied leaves the job
    // incomplete: it fails here rather than reach the printer without it.
    return copyThumbnail() ? made : 0;
}

int RTL::MakeBaseName(const char* documentName, AString& out) {
    out = safeNameStem(KIPNamePattern::MakeBaseName(documentName ? documentName : ""));
    return 1;
}

int RTL::MakeJobFolder(const char* folder) {
    if (folder && *folder) {
        outputFolder = folder;
    } else {
        outputFolder = AFilePath();
        outputFolder += "temp";
    }
    // The host names the output folder; it may not have made it yet.
    std::error_code error;
    std::filesystem::create_directories(outputFolder.c_str(), error);
    if (!modelSettings.CreateFolder) return 1;

    const KIPTemplateText pattern =
        KIPNamePattern::ExpandNamePattern(modelSettings, modelSettings.FolderName, baseName, "", -1, -1, -1);
    // The folder is made while the job number is drawn, under the counter's
    // lock: a folder another job made first draws the next number instead of
    // failing this job. Only a name without a number that exists already
    // fails, as does a folder that cannot be made at all.
    bool made = false;
    const auto makeFolder = [&made](const AFilePath& path) {
        std::error_code makeError;
        made = std::filesystem::create_directory(path.c_str(), makeError) && !makeError;
        if (made) return KIPUniqueId::Claim::Made;
        return path.exists() ? KIPUniqueId::Claim::Taken : KIPUniqueId::Claim::Failed;
    };
    outputFolder += uniqueId.SubstituteUniqueId(outputFolder, pattern, modelSettings.uniqID, makeFolder);
    if (!made) RTL_LOG("Cannot make the job folder %s", outputFolder.c_str());
    return made ? 1 : 0;
}

bool RTL::copyThumbnail() {
    const AFilePath thumbnail(settings->thumbnailPath);
    std::error_code error;
    if (!settings->thumbnailPath[0] || !std::filesystem::is_regular_file(thumbnail.c_str(), error)) return true;
    const AString name = modelSettings.ThumbnailName.IsEmpty()
                             ? AString(kDefaultThumbnailName)
                             : uniqueId.SubstituteUniqueId(outputFolder, modelSettings.ThumbnailName,
                                                           modelSettings.uniqID);
    AFilePath target(outputFolder);
    target += name;
    if (RVCopyFile(thumbnail.c_str(), target.c_str())) return true;
    reportWriteFailure(target);
    return false;
}

AFilePath RTL::separationPath(const AString& colorName) {
    const AString pattern =
        withImageExtension(modelSettings.OutputName.IsEmpty() ? AString(kDefaultSeparationName) : modelSettings.OutputName,
                           writesBmp() && !combinedMode ? ".bmp" : ".tif");
    const AString stem = safeNameStem(KIPNamePattern::JobNameStem(settings->jobName));
    const KIPTemplateText name = KIPNamePattern::ExpandNamePattern(modelSettings, pattern, stem, colorName,
                                                                   track->currentPage + 1, 0, 0);
    AFilePath path(outputFolder);
    path += uniqueId.SubstituteUniqueId(outputFolder, name, modelSettings.uniqID);
    return path;
}

// ---------------------------------------------------------------------------
// Images

bool RTL::writesBmp() const { return options && options->fileType == kBmpFileType; }

bool RTL::invertsOutput() const { return options && options->invertOutput; }

std::unique_ptr<KIPExportBitmap> RTL::createImage(const AFilePath& path, uint32_t width, uint32_t height,
                                                  int bitsPerPixel, int imageKind) {
    AString tagList;
    tagList.Format(tagTemplate.c_str(), track->outputHeight);
    std::unique_ptr<KIPExportBitmap> image;
    try {
        image = std::make_unique<KIPExportBitmap>(path.c_str(), width, height, settings->xResolution,
                                                  settings->yResolution, bitsPerPixel, kImageMode, imageKind,
                                                  nullptr, tagList.c_str(), tagList.GetLength());
    } catch (const std::bad_alloc&) {
        image.reset();
    }
    if (!image || !image->IsOpen()) {
        RTL_LOG("Cannot create the image %s", path.c_str());
        reportWriteFailure(path);
        throw DriverError{0};
    }
    return image;
}

int RTL::OpenSeparation(int plane) {
    if (!finishCurrentImage()) throw DriverError{0};
    const JobTrackRecord& t = *track;
    const bool combined = plane == -1;
    if (!combined && (plane < 0 || plane >= t.planes.GetSize() || plane >= t.planeBits.GetSize())) return 0;

    const AFilePath path = separationPath(combined ? AString() : planeColorName(plane));
    currentImage = createImage(path, static_cast<uint32_t>(t.outputWidth), static_cast<uint32_t>(t.outputHeight),
                               combined ? kCombinedBitsPerPixel : t.planeBits[plane],
                               combined ? kCombinedImageKind : kSeparationImageKind);
    // CloseSeparation moves the directory of a separation TIFF in front of its data: the writer
    // leaves the room for it, so that the move writes a few hundred bytes instead of copying the image.
    if (!combined && currentImage->IsOpen()) currentImage->LeaveRoomForDirectory();
    return 1;
}

AString RTL::planeColorName(int plane, int* colorant) const {
    // Named as the job's colorant the plane prints as, so that the end of
    // the page finds the file under the colorant list's spelling.
    const JobTrackRecord& t = *track;
    const uint32_t k = t.planeToColorant[plane];
    const bool mapped = k < static_cast<uint32_t>(t.colorants.GetSize());
    if (colorant) *colorant = mapped ? static_cast<int>(k) : -1;
    return mapped ? t.colorants[static_cast<int>(k)]->GetInternalName() : t.planes[plane]->GetInternalName();
}

int RTL::BeginSeparation(int plane) { return combinedMode ? 1 : OpenSeparation(plane); }

int RTL::CloseSeparation() {
    if (combinedMode || !currentImage) return 1;
    const AFilePath path = currentImage->filePath;
    if (!finishCurrentImage()) return 0;
    // A separation whose directory could not be moved to the front (a full
    // disk while rewriting it, say) fails the job like any other failed
    // write, so that the job is never handed over incomplete.
    if (isTiffPath(path.GetFullPath()) && !MoveTiffDirectoryToFront(path.c_str())) {
        reportWriteFailure(path);
        return 0;
    }
    return 1;
}

bool RTL::finishCurrentImage() {
    if (!currentImage) return true;
    const AFilePath path = currentImage->filePath;
    const bool finished = currentImage->Finish();
    currentImage.reset();
    if (!finished) reportWriteFailure(path);
    return finished;
}

void RTL::reportWriteFailure(const AFilePath& path) {
    RTL_LOG("Cannot write %s", path.c_str());
    const AString text = AString(kWriteDataError) + ": " + path.getFileName();
    SetStatus(1, text.c_str());
}

int RTL::WriteBlankImage(const AFilePath& path, double width, double height) {
    if (!finishCurrentImage()) throw DriverError{0};
    if (path.exists()) return 1;
    if (!(width >= 0 && height >= 0 && width <= UINT32_MAX && height <= UINT32_MAX)) {
        RTL_LOG("Blank image %s of %f x %f pixels refused", path.c_str(), width, height);
        throw DriverError{0};
    }
    const auto columns = static_cast<uint32_t>(width);
    const auto rows = static_cast<uint32_t>(height);
    const int bits = std::max(track->maxBitsPerPixel, 0);
    currentImage = createImage(path, columns, rows, combinedMode ? kCombinedBitsPerPixel : bits,
                               combinedMode ? kCombinedImageKind : kSeparationImageKind);

    const uint64_t rowLength = rowLengthOf(static_cast<uint32_t>(bits), columns);
    if (rowLength != rowBytes || !rowBuffer) {
        if (rowLength > kMaxRowBufferBytes) throw DriverError{0};
        rowBytes = static_cast<uint32_t>(rowLength);
        allocateRowBuffer();
    }
    std::memset(rowBuffer.get(), 0, rowBytes);
    for (uint32_t r = 0; r < rows; ++r)
        if (!writeRow(currentImage.get(), rowBytes)) throw DriverError{0};
    return 1;
}

// ---------------------------------------------------------------------------
// Pages and lines

int RTL::SetPlaneOrder() {
    // Each tile image holds one plane: a tiled page is never combined.
    combinedMode = options && options->create32BitFile && !writesBmp() && track->maxBitsPerPixel == 8 &&
                   !writesSeparateTiles();
    if (!combinedMode) return APageBaseRTL::SetPlaneOrder();
    // Every plane of a line in turn, gathered into one row; no plane has an image of its own.
    track->firstLine = -1;
    track->lastLine = -1;
    track->lineOrder = 2;
    return 1;
}

int RTL::BeginPage() {
    const JobTrackRecord& t = *track;
    const uint64_t bits = static_cast<uint64_t>(std::max(t.maxBitsPerPixel, 0));
    const uint64_t width = static_cast<uint64_t>(std::max(t.outputWidth, 0));
    const uint64_t length = rowLengthOf(bits, width);
    if (length > kMaxRowBufferBytes) {
        RTL_LOG("Page %d is too wide: %llu bytes per row", t.currentPage, static_cast<unsigned long long>(length));
        throw DriverError{0};
    }
    rowBytes = static_cast<uint32_t>(length);
    if (requestsTiles() && !modelSettings.PageFolder.IsEmpty()) enterPageFolder();
    // Tiles size the row buffer each for itself.
    if (writesSeparateTiles()) return 1;
    allocateRowBuffer();
    return 1;
}

bool RTL::requestsTiles() const {
    const JobRequest* request = driverJob ? driverJob->request : nullptr;
    return request && request->tilingKind >= kFirstTilingKind && request->tileCount >= kMinTileCount;
}

bool RTL::writesSeparateTiles() const { return modelSettings.TileSeparate && requestsTiles(); }

void RTL::enterPageFolder() {
    const JobRequest& request = *driverJob->request;
    AString name = baseName;
    const int32_t* numbers = request.tilePageNumbers;
    if (numbers && std::any_of(numbers, numbers + request.tileCount, [](int32_t n) { return n != 0; })) {
        AString number;
        number.Format("%d", numbers[std::min(track->currentPage, request.tileCount - 1)]);
        name += kPageFolderInfix;
        name += number;
    }
    outputFolder += name;
    // Pages that share a page number share their folder.
    std::error_code error;
    std::filesystem::create_directory(outputFolder.c_str(), error);
    if (error || !outputFolder.isDirectory()) {
        RTL_LOG("Cannot make the page folder %s", outputFolder.c_str());
        throw DriverError{0};
    }
    inPageFolder = true;
}

void RTL::allocateRowBuffer() {
    const uint64_t length = combinedMode ? uint64_t{rowBytes} * kCombinedChannels : rowBytes;
    if (length > kMaxRowBufferBytes) {
        RTL_LOG("A row of %llu bytes is too long", static_cast<unsigned long long>(length));
        throw DriverError{0};
    }
    if (combinedMode) combinedRowBytes = static_cast<uint32_t>(length);
    rowBuffer.reset();
    rowBuffer.reset(new (std::nothrow) uint8_t[2 * length + 1024]());
    if (!rowBuffer) {
        RTL_LOG("Cannot allocate a row buffer of %llu bytes", static_cast<unsigned long long>(2 * length + 1024));
        throw DriverError{0};
    }
}

// Tiles are opened by their first line and finished with the page.
int RTL::BeginPlane(int plane, int) { return writesSeparateTiles() ? 1 : BeginSeparation(plane); }

int RTL::EndPlane(int, int) { return writesSeparateTiles() ? 1 : CloseSeparation(); }

int RTL::WriteLine(int plane, int line, const uint8_t* data) {
    const JobTrackRecord& t = *track;
    if (!data || plane < 0 || plane >= t.planes.GetSize() || plane >= t.planeBits.GetSize() || !rowBuffer) return 0;
    // A plane of fewer bits than the page's deepest one owns only the start of
    // the line buffer; the bytes after it are left over from other planes.
    const int bits = t.planeBits[plane];
    const bool tiled = writesSeparateTiles();
    const auto width = tiled ? uint64_t{tileWidth} : static_cast<uint64_t>(std::max(t.outputWidth, 0));
    const auto bytes = static_cast<uint32_t>((bits * width + 7) / 8);
    const AString& name = t.planes[plane]->GetInternalName();
    // Ink goes to the plane's own colorant, not to entry `plane` of the colour
    // mode's list: the two differ when the image's planes come in another
    // order than the list, and the ticket must credit the ink actually printed.
    if (colorants.count > 0) inkCounter.Count(KIPInkCounter::InkOf(name), data, bytes, bits);
    if (driverJob->colorMode == kOrangeMode && plane == kOrangeModeSparePlane) return 1;
    if (combinedMode) return writeCombinedLine(plane, line, data, bytes);
    const auto rowLength = static_cast<uint32_t>(rowLengthOf(static_cast<uint64_t>(bits), width));
    KIPExportBitmap* image = tiled ? &tileImageFor(plane) : currentImage.get();
    // A line that fills its row exactly and is not inverted is the row already: it is written as it is.
    if (bytes == rowLength && rowLength <= rowBytes && !invertsOutput()) return writeRow(image, rowLength, data);
    if (!placeLine(data, bytes, rowLength)) return 0;
    return writeRow(image, rowLength);
}

bool RTL::placeLine(const uint8_t* data, uint32_t bytes, uint32_t rowLength) {
    if (bytes > rowLength || rowLength > rowBytes) return false;
    uint8_t* row = rowBuffer.get();
    // Every row starts at its first byte, BMP rows too: a BMP reader takes
    // pixel 0 from byte 0, so rows placed at the end of the row would shift
    // the picture right by the padding (and a TIFF would lose their tail).
    // The padding after the line is zero.
    std::memcpy(row, data, bytes);
    std::memset(row + bytes, 0, rowLength - bytes);
    if (invertsOutput())
        for (uint32_t i = 0; i < bytes; ++i) row[i] = static_cast<uint8_t>(~row[i]);
    return true;
}

int RTL::writeCombinedLine(int plane, int line, const uint8_t* data, uint32_t bytes) {
    const JobTrackRecord& t = *track;
    const int planes = t.planeOrder.GetSize();
    if (planes == 0 || uint64_t{bytes} * kCombinedChannels > combinedRowBytes) return 0;
    // The page's combined image opens with the first plane of its first line.
    if (line == 0 && plane == static_cast<int>(t.planeOrder[0]) && !OpenSeparation(-1)) return 0;

    const int channel = channelOf(t.planes[plane]->GetInternalName());
    const uint8_t invert = invertsOutput() ? 0xFF : 0x00;
    uint8_t* row = rowBuffer.get();
    for (uint32_t i = 0; i < bytes; ++i) row[channel + kCombinedChannels * i] = data[i] ^ invert;
    if (plane != static_cast<int>(t.planeOrder[planes - 1])) return 1;
    const int result = writeRow(currentImage.get(), combinedRowBytes);
    std::memset(row, 0, combinedRowBytes);
    return result;
}

int RTL::writeRow(KIPExportBitmap* image, uint32_t bytes, const uint8_t* row) {
    if (image && image->WriteBand(1, bytes, row ? row : rowBuffer.get())) return 1;
    RTL_LOG("Cannot write row %d of page %d", track->currentLine, track->currentPage);
    if (image)
        reportWriteFailure(image->filePath);
    else
        SetStatus(1, kWriteDataError);
    return 0;
}

int RTL::EndPage() {
    if (writesSeparateTiles()) {
        // The page's tiles are finished before the blank ones are written, so
        // that a tile that cannot be completed is the one the status names.
        if (!finishTiles()) throw DriverError{0};
        writeMissingTiles();
        // The page folder stays the output folder: the next tiled page's
        // folder, the accounting file and the job ticket go inside it.
        return 1;
    }
    if (combinedMode) {
        // The page's combined image is complete.
        if (!finishCurrentImage()) throw DriverError{0};
        return 1;
    }
    writeMissingSeparations();
    if (inPageFolder) outputFolder--;
    inPageFolder = false;
    tileIndex = 0;
    return 1;
}

std::vector<ColorantEntry> RTL::jobColorantList() {
    std::vector<ColorantEntry> entries(kColorantCapacity, freshColorant());
    ColorantList list{0, entries.data(), kColorantCapacity};
    if (!GetColorantList(settings->colorMode, &list)) return {};
    entries.resize(static_cast<size_t>(std::clamp(list.count, 0, kColorantCapacity)));
    return entries;
}

void RTL::writeMissingSeparations() {
    const std::vector<ColorantEntry> entries = jobColorantList();
    const int count = std::min(separationCount, static_cast<int>(entries.size()));
    const JobTrackRecord& t = *track;
    for (int i = 0; i < count; ++i) {
        const AFilePath path = separationPath(AString(entries[i].name, sizeof entries[i].name));
        if (!path.exists()) WriteBlankImage(path, t.outputWidth, t.outputHeight);
    }
}

// ---------------------------------------------------------------------------
// Tiles

int RTL::OutputPageLines() {
    if (!writesSeparateTiles() && dynamic_cast<AGroupImage*>(pageImage)) {
        // Its lines belong to tiles whose place in the page the job does not tell.
        RTL_LOG("Page %d is made of tiles, which the model does not write as separate files", track->currentPage);
        throw DriverError{0};
    }
    return APageBaseRTL::OutputPageLines();
}

void RTL::WritePlaneLines(int plane, int line, uint32_t sliceStart) {
    if (!writesSeparateTiles()) return APageBaseRTL::WritePlaneLines(plane, line, sliceStart);
    // A plain page in a tiled request is its own single tile, so none of its lines is lost.
    auto* group = dynamic_cast<AGroupImage*>(pageImage);
    const int count = group ? group->GetImageCount() : 1;
    uint64_t pixels = 0;
    for (int i = 0; i < count; ++i)
        if (AImage* tile = group ? group->GetImage(i) : pageImage)
            pixels += uint64_t(std::max(tile->GetWidth(), 0)) * uint64_t(std::max(tile->GetHeight(), 0));
    uint64_t done = 0;
    for (tileIndex = 0; tileIndex < count; ++tileIndex) {
        AImage* tile = group ? group->GetImage(tileIndex) : pageImage;
        if (!tile) throw DriverError{0};
        writeTile(plane, line, *tile);
        done += uint64_t{tileWidth} * tileHeight;
        if (pixels > 0 && TickCount() - sliceStart > kTimeSliceMs) ReportProgress(static_cast<int>(done * 100 / pixels));
    }
    recordTiles = 0;
    // The whole plane is written: the line loop goes on past its last line.
    track->currentLine = track->lastLine;
}

void RTL::writeTile(int plane, int line, AImage& tile) {
    JobTrackRecord& t = *track;
    if (tile.GetWidth() < 0 || tile.GetHeight() < 0) throw DriverError{0};
    tileWidth = static_cast<uint32_t>(tile.GetWidth());
    tileHeight = static_cast<uint32_t>(tile.GetHeight());
    const uint64_t length = rowLengthOf(static_cast<uint64_t>(std::max(t.maxBitsPerPixel, 0)), tileWidth);
    if (length != rowBytes || !rowBuffer) {
        if (length > kMaxRowBufferBytes) throw DriverError{0};
        rowBytes = static_cast<uint32_t>(length);
        allocateRowBuffer();
    }
    const JobRequest& request = *driverJob->request;
    const int k = tileIndex + t.currentPage;
    const bool listed = k < request.tileCount && request.tileIDs && request.tileStripIDs;
    tileID = listed ? request.tileIDs[k] : 0;
    stripID = listed ? request.tileStripIDs[k] : 0;
    if (recordTiles) tileRecords.push_back({t.currentPage, stripID, tileID, double(tileWidth), double(tileHeight)});
    // The tile's image is looked up by its first line, once per tile.
    tileImage = nullptr;
    for (uint32_t row = 0; row < tileHeight; ++row)
        if (!WriteLine(plane, line, ReadOutputLine(tile, plane, static_cast<int>(row), static_cast<int>(tileWidth))))
            throw DriverError{-5};
}

RTL::TileLocation RTL::tileLocation(const AString& colorName, const AString& suffix, int page, int tile, int strip) {
    TileLocation location{jobFolder, AFilePath()};
    if (!modelSettings.TileFolder.IsEmpty()) {
        const KIPTemplateText folder =
            KIPNamePattern::ExpandNamePattern(modelSettings, modelSettings.TileFolder, baseName, "", page, tile, strip);
        location.folder += uniqueId.SubstituteUniqueId(AFilePath(), folder, modelSettings.uniqID);
    }
    AString name;
    if (modelSettings.TileName.IsEmpty()) {
        name = baseName + "_" + suffix + kDefaultTileExtension;
    } else {
        const KIPTemplateText pattern = KIPNamePattern::ExpandNamePattern(modelSettings, modelSettings.TileName,
                                                                          baseName, colorName, page, tile, strip);
        name = uniqueId.SubstituteUniqueId(location.folder, pattern, modelSettings.uniqID);
    }
    location.path = location.folder;
    location.path += name;
    return location;
}

KIPExportBitmap& RTL::tileImageFor(int plane) {
    if (tileImage) return *tileImage;
    const JobTrackRecord& t = *track;
    // The default names carry the suffix of the colorant the plane prints
    // as, the one the end of the page looks for.
    int colorant = -1;
    const AString colorName = planeColorName(plane, &colorant);
    const TileLocation location =
        tileLocation(colorName, KIPColorSuffixes::Get(colorant), t.currentPage, tileID, stripID);
    const std::string key = location.path.GetFullPath().str();
    auto found = openTiles.find(key);
    if (found == openTiles.end()) {
        std::error_code error;
        std::filesystem::create_directories(location.folder.c_str(), error);
        // A ticket that could not be written leaves the job incomplete: it fails.
        if (!location.path.exists() && modelSettings.JobTicketForTile &&
            !WriteTileJobTicket(location.folder, t.currentPage, tileID, stripID))
            throw DriverError{0};
        found = openTiles.emplace(key, createImage(location.path, tileWidth, tileHeight, t.planeBits[plane],
                                                   kSeparationImageKind)).first;
    }
    tileImage = found->second.get();
    return *tileImage;
}

bool RTL::finishTiles() {
    tileImage = nullptr;
    bool whole = true;
    for (auto& [path, image] : openTiles)
        if (!image->Finish() && whole) {
            reportWriteFailure(image->filePath);
            whole = false;
        }
    openTiles.clear();
    return whole;
}

void RTL::writeMissingTiles() {
    const std::vector<ColorantEntry> entries = jobColorantList();
    for (size_t c = 0; c < entries.size(); ++c) {
        const AString name(entries[c].name, sizeof entries[c].name);
        for (const TileRecord& r : tileRecords) {
            const TileLocation location =
                tileLocation(name, KIPColorSuffixes::Get(static_cast<int>(c)), r.page, r.tileID, r.stripID);
            if (location.path.exists()) continue;
            std::error_code error;
            std::filesystem::create_directories(location.folder.c_str(), error);
            WriteBlankImage(location.path, r.width, r.height);
        }
    }
}

// ---------------------------------------------------------------------------
// End of job

int RTL::WriteTileJobTicket(const AFilePath& folder, int page, int tile, int strip) {
    const AString& ticketName = tile != -1 ? modelSettings.JobTicketTileName : modelSettings.JobTicketFileName;
    const KIPTemplateText pattern =
        KIPNamePattern::ExpandNamePattern(modelSettings, ticketName, "", "", page, tile, strip);
    AFilePath path(folder);
    path += uniqueId.SubstituteUniqueId(folder, pattern, modelSettings.uniqID);
    const KIPJobTicket::FillResult result = jobTicket.WriteTicket(path, modelSettings.JobTicketTemplate);
    // Without its template the model gets no ticket and the job goes on, as
    // it always has; a ticket that cannot be written fails the job instead.
    if (result == KIPJobTicket::FillResult::Written || result == KIPJobTicket::FillResult::TemplateUnreadable)
        return 1;
    reportWriteFailure(path);
    return 0;
}

bool RTL::writeAccountingFile() {
    const JobTrackRecord* t = track.get();
    if (jobTicket.WriteAccountingFile(outputFolder, modelSettings.AccountingTemplate,
                                      modelSettings.AccountingFileName, inkCounter.Counters().data(),
                                      t ? static_cast<uint32_t>(t->outputWidth) : 0,
                                      t ? static_cast<uint32_t>(t->outputHeight) : 0))
        return true;
    AFilePath path(outputFolder);
    path += modelSettings.AccountingFileName;
    reportWriteFailure(path);
    return false;
}

int RTL::EndJob() {
    // A failed write (accounting file, ticket, last image or finish file)
    // ends the job as failed, naming the file, and nothing after it is
    // written: above all no finish file, which tells the controller the job
    // folder is complete.
    bool whole = writeAccountingFile();
    APageBaseRTL::EndJob();
    // Tile -1: the job's own ticket, named by JobTicketFileName.
    whole = whole && WriteTileJobTicket(outputFolder, -1, -1, -1);
    if (!whole) {
        // Closed all the same; the status keeps naming the first failure.
        currentImage.reset();
        return 0;
    }
    if (!finishCurrentImage()) return 0;
    if (!options || !options->useFtpPort) return copyFinishFile() ? 1 : 0;
    // Every file of the job folder is written: only now may it go to the printer.
    PlatformProcess packer;
    if (!KIPDelivery::PackJobFolder(outputFolder, packer)) return 0;
    KIPDelivery::Deliver(outputFolder, options->removeAfterTransfer != 0, packer);
    return 1;
}

bool RTL::copyFinishFile() {
    if (modelSettings.FinishFile.IsEmpty()) return true;
    const AFilePath source = KIPJobTicket::TemplatePath(modelSettings.FinishFile);
    AFilePath target(outputFolder);
    target += modelSettings.FinishFile;
    // A missing finish file is the model's business; the job is complete without it.
    if (!source.exists() || RVCopyFile(source.c_str(), target.c_str())) return true;
    reportWriteFailure(target);
    return false;
}
