// Colour conversion of image rows into ink rows.
#include "ColourConverter.h"

#include "GeneratedCmykProfile.h"
#include "ToolError.h"

#include <algorithm>

namespace {

uint8_t narrow(uint32_t value16) { return uint8_t((value16 + 128) / 257); }

// Grey with the sRGB tone curve, so that an sRGB grey keeps its value.
cmsHPROFILE createGrey() {
    const cmsFloat64Number srgbCurve[5] = {2.4, 1.0 / 1.055, 0.055 / 1.055, 1.0 / 12.92, 0.04045};
    cmsToneCurve* curve = cmsBuildParametricToneCurve(nullptr, 4, srgbCurve);
    cmsHPROFILE grey = curve ? cmsCreateGrayProfile(cmsD50_xyY(), curve) : nullptr;
    if (curve) cmsFreeToneCurve(curve);
    return grey;
}

}  // namespace

ColourConverter::ColourConverter(const std::string& cmykProfile) {
    if (cmykProfile.empty()) {
        cmyk_ = GeneratedCmykProfile::create();
    } else {
        cmyk_ = cmsOpenProfileFromFile(cmykProfile.c_str(), "r");
        if (!cmyk_) throw ToolError("cannot read the colour profile " + cmykProfile + " (not an ICC profile?)");
        if (cmsGetColorSpace(cmyk_) != cmsSigCmykData || !cmsIsIntentSupported(cmyk_, INTENT_PERCEPTUAL, LCMS_USED_AS_OUTPUT)) {
            cmsCloseProfile(cmyk_);
            throw ToolError("colour profile " + cmykProfile + " is not a CMYK output profile");
        }
    }
    grey_ = createGrey();
    if (!cmyk_ || !grey_) {
        if (cmyk_) cmsCloseProfile(cmyk_);
        if (grey_) cmsCloseProfile(grey_);
        throw ToolError("LittleCMS could not make the default colour profiles");
    }
}

ColourConverter::~ColourConverter() {
    dropTransform();
    cmsCloseProfile(cmyk_);
    cmsCloseProfile(grey_);
}

void ColourConverter::dropTransform() {
    if (transform_) cmsDeleteTransform(transform_);
    transform_ = nullptr;
}

void ColourConverter::begin(const ImageFrame& frame, InkTarget target, const std::string& source) {
    // Pages in the same colours keep the transform: making one samples the whole colour space.
    const bool same = transform_ && frame.model == transformModel_ && target == transformTarget_ &&
                      frame.iccProfile == transformProfile_;
    model_ = frame.model;
    target_ = target;
    if (same || model_ == ColourModel::Grey || model_ == ColourModel::Cmyk) return;
    dropTransform();
    transformProfile_ = frame.iccProfile;
    transformTarget_ = target;
    transformModel_ = model_;
    cmsHPROFILE input = nullptr;
    if (model_ == ColourModel::Lab) {
        input = cmsCreateLab4Profile(nullptr);
    } else if (!frame.iccProfile.empty()) {
        input = cmsOpenProfileFromMem(frame.iccProfile.data(), cmsUInt32Number(frame.iccProfile.size()));
        if (input && cmsGetColorSpace(input) != cmsSigRgbData) {
            cmsCloseProfile(input);
            input = nullptr;
        }
        if (!input) throw ToolError("image " + source + " carries a colour profile that is not a usable RGB profile");
    } else {
        input = cmsCreate_sRGBProfile();
    }
    const bool black = target == InkTarget::Black;
    transform_ = cmsCreateTransform(input, model_ == ColourModel::Lab ? TYPE_Lab_16 : TYPE_RGB_16,
                                    black ? grey_ : cmyk_, black ? TYPE_GRAY_8 : TYPE_CMYK_8, INTENT_PERCEPTUAL, 0);
    cmsCloseProfile(input);
    if (!transform_) throw ToolError("LittleCMS cannot convert the colours of image " + source);
}

void ColourConverter::convert(const uint16_t* samples, uint32_t width, uint8_t* const* inks) {
    if (model_ == ColourModel::Grey) {
        for (uint32_t x = 0; x < width; ++x) inks[0][x] = uint8_t(255 - narrow(samples[x]));
        return;
    }
    if (model_ == ColourModel::Cmyk) {
        for (uint32_t x = 0; x < width; ++x) {
            const uint16_t* p = samples + size_t(x) * 4;
            if (target_ == InkTarget::Cmyk) {
                for (int c = 0; c < 4; ++c) inks[c][x] = narrow(p[c]);
                continue;
            }
            // Black alone: the share of paper that any of the inks would cover.
            double paper = 1.0;
            for (int c = 0; c < 4; ++c) paper *= 1.0 - p[c] / 65535.0;
            inks[0][x] = uint8_t((1.0 - paper) * 255.0 + 0.5);
        }
        return;
    }
    const int channels = inkCount(model_, target_);
    scratch_.resize(size_t(width) * channels);
    cmsDoTransform(transform_, samples, scratch_.data(), width);
    if (channels == 1) {
        for (uint32_t x = 0; x < width; ++x) inks[0][x] = uint8_t(255 - scratch_[x]);
        return;
    }
    for (uint32_t x = 0; x < width; ++x)
        for (int c = 0; c < 4; ++c) inks[c][x] = scratch_[size_t(x) * 4 + c];
}
