#include "KIPJobTicket.h"

#include "AFile.h"
#include "ALocaleSwitcher.h"
#include "DriverOptions.h"
#include "KIPNamePattern.h"
#include "KIPTemplateText.h"
#include "RVLog.h"
#include "SystemInfo.h"
#include "ZuDrvUtl.h"

#include <cstdarg>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace {
const char* const kLogSource = "PrinterDriver\\ZuKIP\\Xsrc\\KIPJobTicket";
constexpr int64_t kMaxTemplateBytes = 16 << 20;
constexpr int64_t kMaxPrinterInfoBytes = 1 << 20;

AString formatted(const char* format, ...) __attribute__((format(printf, 1, 2)));
AString formatted(const char* format, ...) {
    // Ticket numbers always use a decimal point, whatever the user's locale.
    ALocaleSwitcher cLocale;
    va_list args;
    va_start(args, format);
    AString text;
    text.FormatV(format, args);
    va_end(args);
    return text;
}

// The UTF-8 form of single-byte text; empty when it does not convert.
AString utf8(const AString& text) {
    AString out;
    return DrvAnsiToUtf8(text, out) ? out : AString();
}

// Reads at most maxBytes of a file, cut at the first zero byte. False when
// the file cannot be opened or read, or (when refuseLonger) is longer.
bool readText(const AFilePath& path, int64_t maxBytes, bool refuseLonger, std::string& text) {
    AFile file;
    if (!file.Open(path.c_str(), AFile::modeRead | AFile::typeBinary)) return false;
    const int64_t length = file.GetLength();
    if (length < 0 || (refuseLonger && length > maxBytes)) return false;
    text.assign(static_cast<size_t>(length < maxBytes ? length : maxBytes), '\0');
    if (file.Read(text.data(), static_cast<unsigned>(text.size())) != text.size()) return false;
    const size_t zero = text.find('\0');
    if (zero != std::string::npos) text.resize(zero);
    return true;
}

double percentage(double counter, uint32_t area) { return area ? counter * 100.0 / area : 0.0; }

bool isXmlName(const AFilePath& path) {
    const AString& text = path.GetFullPath();
    return text.GetLength() >= 4 && text.Right(4).CompareNoCase(".xml") == 0;
}

// Length of the well-formed UTF-8 sequence that starts at text[i]; 0 when none does.
size_t utf8SequenceLength(std::string_view text, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) return 1;
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;   // range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;    // no overlong forms
        if (lead == 0xED) high = 0x9F;   // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;   // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (i + length > text.size() || byte(i + 1) < low || byte(i + 1) > high) return 0;
    for (size_t k = 2; k < length; ++k)
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
    return length;
}

// A value as XML character data: markup characters as entities, control
// characters XML cannot carry dropped, bytes that are not UTF-8 as U+FFFD,
// so that no value can end an element or make the ticket malformed.
std::string xmlText(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (size_t i = 0; i < value.size();) {
        const char c = value[i];
        const size_t length = utf8SequenceLength(value, i);
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
            continue;
        }
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default:
            if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n' || c == '\r') out.append(value, i, length);
        }
        i += length;
    }
    return out;
}
}  // namespace

void KIPJobTicket::SetStartTokens(const AString& jobName, const AString& jobText3, int widthDpi, double pageWidth,
                                  int mediaId, const DriverOptions& options) {
    const SystemTime now = SystemInfo::UtcNow();
    const AString computerName = SystemInfo::ComputerName();
    const AString sender = utf8(jobText3);
    const AString fileName = utf8(KIPNamePattern::FileNamePart(jobName));
    // 64-bit so that the most negative media id cannot overflow.
    const int64_t media = mediaId;

    tokens["RV_ALL_COVERAGE"] = "0";
    tokens["RV_BLACK_COVERAGE"] = "0";
    tokens["RV_CYAN_COVERAGE"] = "0";
    tokens["RV_MAGENTA_COVERAGE"] = "0";
    tokens["RV_YELLOW_COVERAGE"] = "0";
    tokens["RV_COMPUTER_NAME"] = computerName.IsEmpty() ? sender : utf8(computerName);
    tokens["RV_COPIES"] = formatted("%d", options.copies);
    tokens["RV_DATE"] = formatted("%.4d-%.2d-%.2d %.2d:%.2d:%.2d", now.year, now.month, now.day, now.hour,
                                  now.minute, now.second);
    tokens["RV_FILE_NAME"] = fileName;
    tokens["RV_FOLDERNAME"] = fileName;
    tokens["RV_FORCE_IGNORE_SMALLER"] = formatted("%d1000", options.bypassTray);
    tokens["RV_IMAGE_ENHANCEMENT"] = formatted("%d", options.imageEnhancement);
    tokens["RV_KIP_MEDIA_ID"] = formatted("%lld", static_cast<long long>(media - 1));
    // The printer information file is single-byte text too.
    tokens["RV_KIP_MEDIA_NAME"] = utf8(CustomMediaName(ReadPrinterInfo(), mediaId));
    tokens["RV_KIP_MEDIA_TYPE"] = formatted("MediaType:%lld", static_cast<long long>(-media));
    tokens["RV_MEDIA_SIZE_MM"] = formatted("%.1f mm", pageWidth * 25.4);
    tokens["RV_ORIGINALFILE"] = utf8(jobName);
    tokens["RV_PAGE_COUNT"] = "1";
    tokens["RV_SENDER_NAME"] = formatted("%s/%s", sender.c_str(), tokens["RV_COMPUTER_NAME"].c_str());
    tokens["RV_WIDTHDPI"] = formatted("%d", widthDpi);
}

void KIPJobTicket::SetCoverageTokens(const AString& folderName, const double inkCounters[4], uint32_t outputWidth,
                                     uint32_t outputHeight) {
    // The page area is a 32-bit product, as the engine has always counted it;
    // unsigned, so that pages of 2^31 to 2^32 pixels do not get negative coverage.
    const uint32_t area = outputWidth * outputHeight;
    const char* const names[4] = {"RV_CYAN_COVERAGE", "RV_MAGENTA_COVERAGE", "RV_YELLOW_COVERAGE",
                                  "RV_BLACK_COVERAGE"};
    double all = 0.0;
    for (int i = 0; i < 4; ++i) {
        const double value = percentage(inkCounters[i], area);
        all += value;
        tokens[names[i]] = formatted("%Lf", static_cast<long double>(value));
    }
    tokens["RV_ALL_COVERAGE"] = formatted("%Lf", static_cast<long double>(all));
    // Converted like the other job texts (it is made of the document name's
    // bytes), so that a ticket never carries text in two encodings.
    tokens["RV_FOLDERNAME"] = utf8(folderName);
}

bool KIPJobTicket::WriteAccountingFile(const AFilePath& outputFolder, const AString& accountingTemplate,
                                       const AString& accountingFileName, const double inkCounters[4],
                                       uint32_t outputWidth, uint32_t outputHeight) {
    if (accountingTemplate.IsEmpty()) return true;
    SetCoverageTokens(outputFolder.getFileName(), inkCounters, outputWidth, outputHeight);
    AFilePath output(outputFolder);
    output += accountingFileName;
    // A model without its template still gets its jobs; an accounting file
    // that cannot be written, though, fails the job rather than pass
    // silently, so that no job is counted as whole without it.
    const FillResult result = FillTemplate(TemplatePath(accountingTemplate), output);
    if (result == FillResult::OutputNotCreated) RV_LOG(kLogSource)("Cannot create %s", output.c_str());
    return result == FillResult::Written || result == FillResult::TemplateUnreadable;
}

KIPJobTicket::FillResult KIPJobTicket::WriteTicket(const AFilePath& ticketPath, const AString& templateName) const {
    if (ticketPath.exists()) return FillResult::Written;
    const FillResult result = FillTemplate(TemplatePath(templateName), ticketPath);
    if (result == FillResult::TemplateUnreadable)
        DrvMessageBox("Cannot open job ticket template file", 0, nullptr, nullptr);
    else if (result != FillResult::Written)
        DrvMessageBox("Cannot create job ticket file", 0, nullptr, nullptr);
    return result;
}

KIPJobTicket::FillResult KIPJobTicket::FillTemplate(const AFilePath& templatePath, const AFilePath& outputPath) const {
    std::string templateText;
    if (!readText(templatePath, kMaxTemplateBytes, true, templateText)) return FillResult::TemplateUnreadable;
    // Tokens are looked for in the template's own text only, so a value that
    // holds a token name (a document called "RV_COPIES") stays as it is; in
    // an XML template every value is escaped, so that a sender or document
    // name can neither add elements nor make the ticket malformed.
    const bool xml = isXmlName(templatePath);
    KIPTemplateText filled{AString(std::move(templateText))};
    for (const auto& [token, value] : tokens) filled.ReplaceFirst(token.str(), xml ? xmlText(value.str()) : value.str());
    const std::string text = filled.Text().str();

    AFile output;
    if (!output.Open(outputPath.c_str(), AFile::modeCreate | AFile::modeWrite | AFile::typeBinary))
        return FillResult::OutputNotCreated;
    const bool written = output.Write(text.data(), static_cast<unsigned>(text.size())) && output.Flush();
    if (output.Close() && written) return FillResult::Written;
    // A half-written ticket would be taken for a complete one; anything but
    // a plain file (a device, say) is not ours to remove.
    std::error_code ec;
    if (std::filesystem::is_regular_file(outputPath.c_str(), ec)) AFile::DeleteFile(outputPath.c_str());
    RV_LOG(kLogSource)("Writing %s failed", outputPath.c_str());
    return FillResult::OutputNotWritten;
}

AString KIPJobTicket::CustomMediaName(const AString& text, int n) {
    const AString key = formatted("CustomMedia%d", n);
    // The "=" belongs to the search, so medium 1 never picks up "CustomMedia12=".
    const int at = text.Find(key + "=");
    if (at < 0) return key;
    const int lineEnd = text.Find('\n', at);
    if (lineEnd < 0) return key;
    const int valueStart = at + key.GetLength() + 1;
    AString name = text.Mid(valueStart, lineEnd - valueStart);
    name = ZuGetStrReplace(name, "~", " - ");
    name = ZuGetStrReplace(name, "\n", "");
    return ZuGetStrReplace(name, "\r", "");
}

AString KIPJobTicket::ReadPrinterInfo() {
    AFilePath path;
    path += "OutputDrivers";
    path += "KIP";
    path += "KipUnattend.dat";
    std::string text;
    return readText(path, kMaxPrinterInfoBytes, false, text) ? AString(std::move(text)) : AString();
}

AFilePath KIPJobTicket::TemplatePath(const AString& name) {
    AFilePath path;
    path += "OutputDrivers";
    path += "JobTicketTemplates";
    path += name;
    return path;
}
