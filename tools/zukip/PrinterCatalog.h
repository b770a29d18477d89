#pragma once
// What a host knows about the printer models installed under a base folder:
// the models named in "OutputDrivers/ZuKIPDes.xml" and, for one model, the
// colour modes, resolutions and preselected defaults of its description file.
#include <string>
#include <vector>

struct CatalogColorant {
    std::string internalName;
    std::string displayName;
    int depth = 1;              // bits per pixel
    bool spot = false;
};

struct CatalogColorMode {
    int id = 0;
    std::string internalName;
    std::string displayName;
    std::vector<CatalogColorant> colorants;

    int depth() const { return colorants.empty() ? 0 : colorants.front().depth; }
    // The colorant whose internal name equals name in any case; null when none.
    const CatalogColorant* findColorant(const std::string& name) const;
};

struct CatalogResolution {
    int id = 0;
    double x = 0;
    double y = 0;
    std::string displayName;
};

// A medium or print mode of the description's lists.
struct CatalogEntry {
    int id = 0;
    std::string internalName;
    std::string displayName;
};

// A medium offered in the description's control section, with the print modes allowed on it.
struct CatalogMediumControl {
    int mediaId = 0;
    int defaultPrintModeId = -1;
    std::vector<int> printModeIds;
};

class PrinterCatalog {
public:
    // The "Name" prefixes of the index file in document order; throws ToolError when the index cannot be read.
    static std::vector<std::string> modelNames(const std::string& baseFolder);
    // The description of model (first index entry whose "Name" is a prefix of it, as the driver matches);
    // throws ToolError for an unknown model (listing the known ones) or an unreadable description.
    static PrinterCatalog load(const std::string& baseFolder, const std::string& model);

    const std::string& model() const { return model_; }
    const std::string& descriptionPath() const { return descriptionPath_; }
    const std::vector<CatalogColorMode>& colorModes() const { return colorModes_; }
    const std::vector<CatalogResolution>& resolutions() const { return resolutions_; }
    // By display name or internal name in any case, or by decimal id; null when none matches.
    const CatalogColorMode* findColorMode(const std::string& text) const;
    const std::vector<CatalogEntry>& media() const { return media_; }
    const std::vector<CatalogEntry>& printModes() const { return printModes_; }
    // The offered media in control-section order.
    const std::vector<CatalogMediumControl>& mediaControl() const { return mediaControl_; }
    // The control entry of a medium; null when the control section does not offer it.
    const CatalogMediumControl* controlOf(int mediaId) const;
    // The resolution with these values; null when the model has none such.
    const CatalogResolution* findResolution(double x, double y) const;
    // The first resolution of the default medium and print mode, else the first listed; null without resolutions.
    const CatalogResolution* defaultResolution() const;
    int defaultMediaId() const { return defaultMediaId_; }
    int defaultPrintModeId() const { return defaultPrintModeId_; }
    int defaultColorModeId() const { return defaultColorModeId_; }   // -1 when the description names none
    // "Name (id N)" of every colour mode, for messages.
    std::string colorModeList() const;

private:
    std::string model_;
    std::string descriptionPath_;
    std::vector<CatalogColorMode> colorModes_;
    std::vector<CatalogResolution> resolutions_;
    std::vector<CatalogEntry> media_;
    std::vector<CatalogEntry> printModes_;
    std::vector<CatalogMediumControl> mediaControl_;
    int defaultMediaId_ = 0;
    int defaultPrintModeId_ = 0;
    int defaultResolutionId_ = -1;
    int defaultColorModeId_ = -1;
};
