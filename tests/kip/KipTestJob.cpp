#include "KipTestJob.h"

#include "TempBaseFolder.h"
#include "ZUJob.h"
#include "ZURasterWriter.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <cstring>

KipTestJob::KipTestJob(const fs::path& folder, const std::string& model, int colorMode)
    : jobFile_(folder / "J42.job") {
    SetJobHeaderText(header.jobName, "C:\\Docs\\plan.pdf");
    SetJobHeaderText(header.modelName, model.c_str());
    SetJobHeaderText(header.jobText3, "Anna");
    header.xResolution = 300;
    header.yResolution = 300;
    header.pageWidth = 36;
    header.pageHeight = 48;
    header.widthDpi = 300;
    header.colorMode = static_cast<int16_t>(colorMode);
    options().optionsVersion = kOptionsVersion;
    options().copies = 2;

    std::strncpy(request.jobFilePath, jobFile_.c_str(), sizeof request.jobFilePath - 1);
    request.portCode = 256;
    request.mediaId = 1;
}

std::vector<uint8_t> KipTestJob::patternLine(int page, int plane, int line, int depth, int width) {
    const size_t bits = static_cast<size_t>(depth) * static_cast<size_t>(width);
    std::vector<uint8_t> bytes((bits + 7) / 8);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(page * 37 + plane * 71 + line * 13 + i * 7 + 3);
    if (bits % 8) bytes.back() &= static_cast<uint8_t>(0xFF << (8 - bits % 8));
    return bytes;
}

void KipTestJob::write(const std::vector<KipPage>& jobPages) {
    pages = jobPages;
    ASSERT_TRUE(WriteJobHeaderFile(jobFile_.c_str(), header));
    ZURasterWriter writer;
    ASSERT_TRUE(writer.Create(ZUJob::GetFileName(2, jobFile_.c_str()))) << writer.GetError().c_str();
    for (size_t p = 0; p < pages.size(); ++p) {
        const KipPage& page = pages[p];
        ASSERT_TRUE(writer.BeginPage(page.width, page.height)) << writer.GetError().c_str();
        for (const KipPlane& plane : page.planes)
            ASSERT_TRUE(writer.AddPlane(plane.name.c_str(), plane.name.c_str(), plane.depth));
        for (size_t k = 0; k < page.planes.size(); ++k)
            for (int line = 0; line < page.height; ++line) {
                const auto bytes = lines(static_cast<int>(p), static_cast<int>(k), line, page.planes[k].depth, page.width);
                ASSERT_TRUE(writer.WriteLine(static_cast<int>(k), line, bytes.data(), bytes.size()));
            }
        ASSERT_TRUE(writer.EndPage()) << writer.GetError().c_str();
    }
    ASSERT_TRUE(writer.Finish()) << writer.GetError().c_str();
}

void installKipModel(const fs::path& base, const std::string& modelFile, const std::string& modelName,
                     const std::map<std::string, std::string>& attributes,
                     const std::map<std::string, std::string>& colorIds) {
    const fs::path path = base / "OutputDrivers" / modelFile;
    std::string text = readFile(path);
    ASSERT_NE(text.find("<Root>"), std::string::npos) << path;
    std::string model = "<Root>\n  <Model Name=\"" + modelName + "\"";
    for (const auto& [name, value] : attributes) model += " " + name + "=\"" + value + "\"";
    model += ">";
    if (!colorIds.empty()) {
        model += "<colorID>";
        for (const auto& [name, id] : colorIds) model += "<Color colorName=\"" + name + "\" colorID=\"" + id + "\"/>";
        model += "</colorID>";
    }
    model += "</Model>";
    text.replace(text.find("<Root>"), 6, model);
    writeBytes(path, std::vector<unsigned char>(text.begin(), text.end()));
}

namespace {
// libtiff reports to stderr unless told otherwise; a test wants the failure, not the noise.
struct QuietTiff {
    explicit QuietTiff(const fs::path& path) {
        TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
        TIFFOpenOptionsSetErrorHandlerExtR(options, [](TIFF*, void*, const char*, const char*, va_list) { return 1; },
                                           nullptr);
        TIFFOpenOptionsSetWarningHandlerExtR(options, [](TIFF*, void*, const char*, const char*, va_list) { return 1; },
                                             nullptr);
        tif = TIFFOpenExt(path.c_str(), "r", options);
        TIFFOpenOptionsFree(options);
    }
    ~QuietTiff() {
        if (tif) TIFFClose(tif);
    }
    TIFF* tif = nullptr;
};

uint32_t le(const std::vector<unsigned char>& bytes, size_t at, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | bytes.at(at + static_cast<size_t>(i));
    return value;
}
}  // namespace

ReadImage readTiff(const fs::path& path) {
    ReadImage image;
    QuietTiff t(path);
    if (!t.tif) {
        ADD_FAILURE() << "libtiff cannot open " << path;
        return image;
    }
    uint16_t bits = 0, samples = 0;
    TIFFGetField(t.tif, TIFFTAG_IMAGEWIDTH, &image.width);
    TIFFGetField(t.tif, TIFFTAG_IMAGELENGTH, &image.height);
    TIFFGetFieldDefaulted(t.tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(t.tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    image.bitsPerSample = bits;
    image.samplesPerPixel = samples;
    const auto size = static_cast<size_t>(TIFFScanlineSize(t.tif));
    for (uint32_t r = 0; r < image.height; ++r) {
        std::vector<uint8_t> row(size);
        if (TIFFReadScanline(t.tif, row.data(), r, 0) != 1) {
            ADD_FAILURE() << "libtiff cannot read row " << r << " of " << path;
            break;
        }
        image.rows.push_back(std::move(row));
    }
    return image;
}

uint32_t tiffNumber(const fs::path& path, uint16_t tag) {
    QuietTiff t(path);
    if (!t.tif) return 0;
    // Tags whose libtiff type is 16 bits are read as such, the others as 32 bits.
    const TIFFField* field = TIFFFieldWithTag(t.tif, tag);
    if (!field) return 0;
    if (TIFFFieldDataType(field) == TIFF_SHORT) {
        uint16_t value = 0;
        return TIFFGetField(t.tif, tag, &value) ? value : 0;
    }
    uint32_t value = 0;
    return TIFFGetField(t.tif, tag, &value) ? value : 0;
}

std::string tiffText(const fs::path& path, uint16_t tag) {
    QuietTiff t(path);
    char* value = nullptr;
    if (!t.tif || !TIFFGetField(t.tif, tag, &value) || !value) return {};
    return value;
}

ReadImage readBmp(const fs::path& path) {
    ReadImage image;
    const std::vector<unsigned char> bytes = readBytes(path);
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') {
        ADD_FAILURE() << path << " is not a BMP";
        return image;
    }
    const uint32_t dataAt = le(bytes, 10, 4);
    image.width = le(bytes, 18, 4);
    image.height = le(bytes, 22, 4);
    image.bitsPerSample = le(bytes, 28, 2);
    image.samplesPerPixel = 1;
    const size_t rowBytes = (image.width * image.bitsPerSample + 31) / 32 * 4;
    for (uint32_t r = 0; r < image.height; ++r) {
        const size_t at = dataAt + r * rowBytes;
        if (at + rowBytes > bytes.size()) {
            ADD_FAILURE() << path << " is short";
            break;
        }
        image.rows.emplace_back(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at + rowBytes));
    }
    return image;
}

std::vector<std::string> fileNames(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}
