#pragma once
// What a job left in its output folder: the job folder the driver made, its
// files with sizes, and the ink coverage of its TIFF separations per colour.
#include <cstdint>
#include <set>
#include <string>
#include <vector>

struct OutputFile {
    std::string path;        // relative to the job folder
    uintmax_t size = 0;
};

struct InkCoverage {
    std::string colour;
    double percent = 0;      // inked share of the colour's pixels, over all its images
    int images = 0;
};

class OutputSummary {
public:
    // The names in folder now (empty when it cannot be read), taken before a job to find what it adds.
    static std::set<std::string> snapshot(const std::string& folder);
    // Collects the job's output: the one folder added since `before` (else the output folder itself), its
    // files, and coverage per colour of colourNames, found from each TIFF's name (its last "_" part naming or
    // beginning one colour, else the longest colour name in it, else the name itself). The coverage is the
    // driver's own when an XML ticket in the job folder has a "Coverage" element (one child per colour, in
    // percent). Otherwise the TIFFs are measured: sample values count as ink (set bit, or value / 255),
    // flipped when inverted; a 4-channel TIFF counts as Cyan, Magenta, Yellow, Black.
    static OutputSummary collect(const std::string& outputFolder, const std::set<std::string>& before,
                                 const std::vector<std::string>& colourNames, bool inverted);

    const std::string& jobFolder() const { return jobFolder_; }
    const std::vector<OutputFile>& files() const { return files_; }
    const std::vector<InkCoverage>& coverage() const { return coverage_; }
    // The summary as lines for the terminal.
    std::string render() const;

private:
    std::string jobFolder_;
    std::vector<OutputFile> files_;
    std::vector<InkCoverage> coverage_;
};
