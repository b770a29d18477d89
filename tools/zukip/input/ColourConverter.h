#pragma once
// Turns rows of image samples into ink rows for the printer's colorants:
// CMYK (all four inks) or black alone. RGB goes through LittleCMS 2 from the
// image's embedded profile (sRGB when it has none), Lab from CIELAB, to the CMYK profile the
// user names, or to the generated default (GeneratedCmykProfile); greyscale
// becomes black ink alone; CMYK passes as it is (or, for black alone, the
// combined coverage of its inks).
#include "ImageSource.h"

#include <lcms2.h>

#include <cstdint>
#include <string>
#include <vector>

enum class InkTarget { Cmyk, Black };

class ColourConverter {
public:
    // cmykProfile: an ICC output profile for CMYK, empty for the generated one. Throws ToolError when the
    // file cannot be read or is not a CMYK output profile.
    explicit ColourConverter(const std::string& cmykProfile);
    ~ColourConverter();
    ColourConverter(const ColourConverter&) = delete;
    ColourConverter& operator=(const ColourConverter&) = delete;

    // The ink planes a page of this model gets: 4 (Cyan, Magenta, Yellow, Black) or 1 (Black).
    static int inkCount(ColourModel model, InkTarget target) {
        return model != ColourModel::Grey && target == InkTarget::Cmyk ? 4 : 1;
    }
    // Prepares the transform for a page; throws ToolError naming source when its embedded profile is unusable.
    void begin(const ImageFrame& frame, InkTarget target, const std::string& source);
    // Converts one row of width pixels (samples as ImageSource hands them out) into inkCount() rows of
    // 8-bit ink (255 = full ink).
    void convert(const uint16_t* samples, uint32_t width, uint8_t* const* inks);

private:
    void dropTransform();

    cmsHPROFILE cmyk_ = nullptr;
    cmsHPROFILE grey_ = nullptr;
    cmsHTRANSFORM transform_ = nullptr;
    std::vector<uint8_t> transformProfile_;   // the embedded profile and target transform_ was made for
    InkTarget transformTarget_ = InkTarget::Cmyk;
    ColourModel transformModel_ = ColourModel::Rgb;
    ColourModel model_ = ColourModel::Grey;
    InkTarget target_ = InkTarget::Cmyk;
    std::vector<uint8_t> scratch_;
};
