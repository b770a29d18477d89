#include "KipTestJob.h"

#include "TempBaseFolder.h"

#include <gtest/gtest.h>

KipTestJob::KipTestJob(const fs::path& folder, const std::string& model, int colorMode) : TestJob(folder, "J42.job") {
    SetJobHeaderText(header.modelName, model.c_str());
    header.colorMode = static_cast<int16_t>(colorMode);
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

