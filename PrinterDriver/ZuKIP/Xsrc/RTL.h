#pragma once
// The KIP output engine. The page engine pulls each page of the host's raster
// job plane by plane and line by line; this engine turns those lines into the
// job folder a KIP controller picks up: one TIFF (or BMP) image per colour
// separation and page, or one combined CMYK image per page for 8-bit jobs
// that ask for a 32-bit file, with blank images for separations that got no
// lines, the thumbnail, the accounting file, the job ticket and the finish
// file, or, for a job that asks for FTP, packs the job folder into a zip
// archive and sends it to the printer. It counts ink coverage on the way, and
// answers the host's colour, media and screening queries from the printer
// description or, without one, from its built-in tables.
//
// Tiled pages: when the model writes tiles separately (TileSeparate) and the
// job request describes tiles (tilingKind 3 or more, tileCount 2 or more),
// each tile of each colour becomes its own image in the tile folders the
// model names, optionally with a ticket per tile, and colours without data
// get blank tiles of the sizes recorded on the job's first tiled page. Every
// step of a page (row buffer, planes, lines, end of page) asks that same
// question, so a request with TileSeparate on and tileCount 2 or more but a
// tilingKind below 3 is written as whole separations: its pages are not
// tiled, and none of their lines is lost. A tiled page with TileSeparate off
// fails its job (its lines belong to tiles the separation path cannot read).
//
// Failures inside the page loop raise DriverError: 0 when a folder, image or
// buffer cannot be made or written. A job is whole or fails: every file write
// is checked, and a failed one (image, thumbnail, accounting file, ticket,
// finish file) fails the job with the status "Write Data Error: <file>".
#include "APageBaseRTL.h"
#include "CDynamic.h"
#include "KIPExportBitmap.h"
#include "KIPInkCounter.h"
#include "KIPJobTicket.h"
#include "KIPModelSettings.h"
#include "KIPUniqueId.h"
#include "TileRecord.h"

#include "AFilePath.h"
#include "AString.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class RTL : public APageBaseRTL {
public:
    static constexpr int kEngineCode = 12;
    static constexpr int kFilePort = 256;   // the only output port the engine writes to

    RTL();
    ~RTL() override;

    // Loads the description and model settings of the job's model, opens the
    // raster job and sets the ticket tokens; 1, or 0 without options block or
    // for a colour mode that neither the description nor the built-in rule
    // can write. Raises DriverError as the page engine does.
    int StartJob(DriverJob* job, int reserved, OutputPort* port, DriverOptions* options) override;
    int AbortJob() override { return 1; }
    // Device resolution 1 x 1: the engine never scales up.
    int GetDeviceResolution(int* x, int* y) override;
    int GetEngineCode() override { return kEngineCode; }
    // The description's answer when one is loaded for the setup's model, else the built-in list's.
    int GetColorModeName(int index, int* flag, char* name, PrinterSetup* query) override;
    // The description's colorants when one is loaded, else the built-in table's; 0 for unknown modes.
    int GetColorantList(int colorMode, ColorantList* list) override;
    int FindColorMode(const char* name) override;
    int GetDefaultColorMode(char* name, PrinterSetup* query) override;
    // On a page written as one combined image: four round 60 lpi screens; otherwise the table is left. 1.
    int GetScreeningTable(ScreenTable* table, PrinterSetup* query) override;
    // The roll media of the printer information file; their number.
    int GetMediaList(const PrinterSetup* query, MediaList* list, int* defaultMedia) override;
    // The description's resolutions for medium and print mode; 0 without a description.
    int GetMediaControl(const PrinterSetup* query, const MediaEntry* media, const MediaEntry* printMode,
                        ResolutionList* list, int* defaultPosition) override;
    // value carries the document name (const char*). Makes the job folder and
    // copies the thumbnail; 0 after message 9002 for a port other than the file
    // port, or when the job folder cannot be made (also when it exists).
    int SetOutputName(const char* outputPath, intptr_t value) override;
    // Resets a block of another layout version to the defaults; 1.
    int ValidateOptions(DriverOptions* block) override;

    // Enters the page folder of a tiled request and sizes the row buffer for
    // the prepared page (tiles size it per tile); 1, or raises DriverError{0}.
    int BeginPage() override;
    // The page engine's line loop; a page of tiles that the model does not
    // write as separate files raises DriverError{0}. Raises as the page engine does.
    int OutputPageLines() override;
    // A tiled page's plane written tile after tile, the cursor moved to its
    // last line; otherwise the page engine's single line.
    void WritePlaneLines(int plane, int line, uint32_t sliceStart) override;
    // Finishes the page's combined image, or writes blank images for the
    // separations (or tiles) that received no lines; 1.
    int EndPage() override;
    // Accounting file, job ticket, last image finished, then the finish file,
    // or for FTP jobs packing and delivery. 1 (for FTP jobs whether or not
    // the transfer succeeded); 0 when a file could not be written (status
    // names the file; no finish file and no delivery then) or the packing
    // tool cannot be started.
    int EndJob() override;
    // Counts the line's ink and writes it as one row; 0 when the image refuses it.
    int WriteLine(int plane, int line, const uint8_t* data) override;
    int BeginPlane(int plane, int line) override;
    int EndPlane(int plane, int line) override;
    // Decides whether the page is written as one combined image.
    int SetPlaneOrder() override;
    // The description's plane order for the colour mode, else the colour mode's own order; 1.
    int SelectPlanes(int colorMode) override;

    // Opens the image of one plane's separation (plane -1: the page's combined
    // image) as currentImage; 1, 0 for a plane the page lacks, raises DriverError{0}
    // when the image cannot be created.
    virtual int OpenSeparation(int plane);
    // OpenSeparation, except on a combined page; 1.
    virtual int BeginSeparation(int plane);
    // Finishes currentImage and moves a TIFF's directory to the front; 1, or
    // 0 when either could not be written (status names the file).
    virtual int CloseSeparation();
    // The base name of the job's files, derived from the document name; 1.
    virtual int MakeBaseName(const char* documentName, AString& out);
    // Makes the job folder inside folder (empty: the base folder's "temp");
    // 1, or 0 when it cannot be made or exists already.
    virtual int MakeJobFolder(const char* folder);
    // Writes a ticket into folder unless it is there: named by JobTicketTileName
    // for a tile, by JobTicketFileName for tileID -1 (the job's own ticket);
    // 1 (also after the message for a missing template), or 0 after a message
    // when the ticket could not be written (status names the file).
    virtual int WriteTileJobTicket(const AFilePath& folder, int page, int tileID, int stripID);
    // Writes an all-zero image of width x height pixels at path unless a file is
    // there, leaving it open as currentImage; 1, raises DriverError{0} on failure.
    virtual int WriteBlankImage(const AFilePath& path, double width, double height);

    // Inspection of the engine's job state.
    int SeparationCount() const { return separationCount; }
    const KIPInkCounter& InkCounter() const { return inkCounter; }
    const KIPModelSettings& ModelSettings() const { return modelSettings; }
    const std::vector<TileRecord>& TileRecords() const { return tileRecords; }

private:
    // The model named by a host record's 64-byte name field, which need not be terminated.
    static AString modelNameOf(const char* field);
    // loadDescription for a model name (empty: only a description loaded before counts).
    int loadModelDescription(const AString& modelName);
    bool loadSetupDescription(const PrinterSetup* query);
    // The request describes tiles (tilingKind 3 or more, tileCount 2 or more).
    bool requestsTiles() const;
    // Tiles of a tiled request are written as separate files (TileSeparate).
    bool writesSeparateTiles() const;
    bool writesBmp() const;
    bool invertsOutput() const;
    // Creates an image with the page's resolutions and tag list; raises DriverError{0} on failure.
    std::unique_ptr<KIPExportBitmap> createImage(const AFilePath& path, uint32_t width, uint32_t height,
                                                 int bitsPerPixel, int imageKind);
    // The separation image of colorName on the current page, in outputFolder.
    AFilePath separationPath(const AString& colorName);
    // The job colorant a plane prints as: its name, and its index (-1 when unmapped).
    AString planeColorName(int plane, int* colorant = nullptr) const;
    // Makes the page folder of a tiled request inside outputFolder and enters it; raises DriverError{0}.
    void enterPageFolder();
    // Tile folder and tile image of colour colorName (suffix: default names), for page, tileID and stripID.
    struct TileLocation {
        AFilePath folder;
        AFilePath path;
    };
    TileLocation tileLocation(const AString& colorName, const AString& suffix, int page, int tile, int strip);
    // Sizes, records and writes every row of one tile of plane.
    void writeTile(int plane, int line, AImage& tile);
    // The open image of the tile being written for plane: found in openTiles
    // or created (after its ticket); raises DriverError{0} when it cannot be made.
    KIPExportBitmap& tileImageFor(int plane);
    // Blank tiles, by the recorded tiles, for every colour that has none.
    void writeMissingTiles();
    // Finishes and releases the page's tile images; false (status names the first file) when one failed.
    bool finishTiles();
    // Replaces the row buffer by a zeroed one for rowBytes (four times that on a combined page).
    void allocateRowBuffer();
    // Places a plane's line of `bytes` bytes in a row of rowLength bytes; false when it does not fit.
    bool placeLine(const uint8_t* data, uint32_t bytes, uint32_t rowLength);
    int writeCombinedLine(int plane, int line, const uint8_t* data, uint32_t bytes);
    // Writes row (rowBuffer when null) as one row of image; 0 (status "Write Data Error") on failure.
    int writeRow(KIPExportBitmap* image, uint32_t bytes, const uint8_t* row = nullptr);
    // The colorants of the job's colour mode (none when the list cannot be had).
    std::vector<ColorantEntry> jobColorantList();
    void writeMissingSeparations();
    // Finishes and releases currentImage; false (status names the file) when it could not be completed.
    bool finishCurrentImage();
    // Logs the path and sets the status "Write Data Error: <file name>"; the
    // name joins the system's text so that the user sees which file failed.
    void reportWriteFailure(const AFilePath& path);
    // Each true when done or nothing to do; false (status names the file) when a write failed.
    bool copyThumbnail();
    bool writeAccountingFile();
    bool copyFinishFile();

    std::unique_ptr<KIPExportBitmap> currentImage;   // the image being written, if any
    DriverOptions* options = nullptr;                // the job's options block; not owned
    uint32_t rowBytes = 0;                           // one row of one plane, a multiple of 4
    uint32_t combinedRowBytes = 0;                   // one row of the combined image
    std::unique_ptr<uint8_t[]> rowBuffer;
    int32_t combinedMode = 0;                        // the page is one combined CMYK image
    AFilePath outputFolder;                          // where the separations go
    AString baseName;                                // base of the job's folder and file names
    int32_t separationCount = 4;                     // separations of the job's colour mode
    int32_t tileIndex = 0;                           // the tile being written, in the page's group
    uint32_t tileHeight = 0;                         // its rows
    uint32_t tileWidth = 0;                          // its pixels per row
    int32_t tileID = 0;                              // its ids from the job request
    int32_t stripID = 0;
    KIPExportBitmap* tileImage = nullptr;            // its image, once a line asked for it; in openTiles
    std::map<std::string, std::unique_ptr<KIPExportBitmap>> openTiles;   // the page's tile images by path
    bool inPageFolder = false;                       // outputFolder is the page folder BeginPage made
    AFilePath jobFolder;                             // the job folder made by SetOutputName
    KIPModelSettings modelSettings;                  // names, templates and flags of the model
    KIPInkCounter inkCounter;
    std::vector<ColorantEntry> colorantEntries;      // room of the job's colorant list
    ColorantList colorants;                          // the job's colorants (description jobs only)
    KIPJobTicket jobTicket;                          // ticket tokens of the job
    KIPUniqueId uniqueId;                            // the engine's number in output names
    AString tagTemplate;                             // TIFF tags of every image, "%d" = page height
    std::vector<TileRecord> tileRecords;             // the tiles of the job's first tiled page
    uint8_t recordTiles = 1;                         // tiles are still to be recorded
    CDynamic description;                            // the printer description of the model
};
