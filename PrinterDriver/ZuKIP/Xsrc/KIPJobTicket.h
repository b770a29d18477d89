#pragma once
// Job tickets and accounting files: templates from
// "OutputDrivers/JobTicketTemplates" whose token words ("RV_COPIES", ...)
// are replaced by the job's values.
#include "AFilePath.h"
#include "AString.h"

#include <cstdint>
#include <map>

struct DriverOptions;

class KIPJobTicket {
public:
    // Outcome of FillTemplate.
    enum class FillResult { Written, TemplateUnreadable, OutputNotCreated, OutputNotWritten };

    // Sets every token afresh for a job: jobName is the source document
    // path, jobText3 the sender, widthDpi the horizontal resolution,
    // pageWidth in inches, mediaId the job request's medium. Computer name
    // and time come from SystemInfo; the media name from the printer
    // information file.
    void SetStartTokens(const AString& jobName, const AString& jobText3, int widthDpi, double pageWidth, int mediaId,
                        const DriverOptions& options);

    // Sets "RV_FOLDERNAME" and the coverage tokens ("%Lf" percentages of
    // inkCounters, in the order cyan, magenta, yellow, black, over
    // outputWidth x outputHeight pixels; 0 for an empty page).
    void SetCoverageTokens(const AString& folderName, const double inkCounters[4], uint32_t outputWidth,
                           uint32_t outputHeight);

    // End-of-job accounting file: with a non-empty accountingTemplate, sets
    // the coverage tokens for outputFolder and fills the template into
    // outputFolder/accountingFileName. A missing template is skipped silently
    // (true); false when the accounting file could not be written (logged).
    bool WriteAccountingFile(const AFilePath& outputFolder, const AString& accountingTemplate,
                             const AString& accountingFileName, const double inkCounters[4], uint32_t outputWidth,
                             uint32_t outputHeight);

    // Writes a ticket from templateName to ticketPath unless a file is there
    // already (Written). A missing template shows "Cannot open job ticket
    // template file", a ticket that cannot be written "Cannot create job
    // ticket file"; the outcome tells the two apart.
    FillResult WriteTicket(const AFilePath& ticketPath, const AString& templateName) const;

    // Reads the template (its bytes up to the first zero), replaces the first
    // occurrence of each token in the template's own text, in key order (a
    // value is never searched), writes the text to outputPath and closes it.
    // Values put into a template whose name ends in ".xml" are XML-escaped.
    // A partly written output is removed.
    FillResult FillTemplate(const AFilePath& templatePath, const AFilePath& outputPath) const;

    // The display name of custom medium n from the printer information text
    // (line "CustomMedia<n>=A~B" gives "A - B"); "CustomMedia<n>" when the
    // line is missing or not ended by a line feed.
    static AString CustomMediaName(const AString& text, int n);

    // The printer information text "OutputDrivers/KIP/KipUnattend.dat" up to
    // its first zero byte (at most 1 MiB); empty when missing.
    static AString ReadPrinterInfo();

    // The path of a template: "OutputDrivers/JobTicketTemplates/<name>" under the base folder.
    static AFilePath TemplatePath(const AString& name);

    std::map<AString, AString> tokens;   // token -> value, in byte-wise order of the token
};
