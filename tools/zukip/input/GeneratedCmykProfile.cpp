// Builds the default CMYK profile from two sampled tables over the sRGB space.
#include "GeneratedCmykProfile.h"

#include <algorithm>

namespace {

constexpr int kLabGridPoints = 33;
constexpr int kCmykGridPoints = 9;

struct Transforms {
    cmsHTRANSFORM labToRgb = nullptr;
    cmsHTRANSFORM rgbToLab = nullptr;
};

int labToCmyk(const cmsUInt16Number in[], cmsUInt16Number out[], void* cargo) {
    cmsCIELab lab;
    cmsLabEncoded2Float(&lab, in);
    double rgb[3];
    cmsDoTransform(static_cast<Transforms*>(cargo)->labToRgb, &lab, rgb, 1);
    for (double& v : rgb) v = std::clamp(v, 0.0, 1.0);
    const double k = 1.0 - std::max({rgb[0], rgb[1], rgb[2]});
    for (int c = 0; c < 3; ++c) {
        const double ink = k < 1.0 ? (1.0 - rgb[c] - k) / (1.0 - k) : 0.0;
        out[c] = cmsUInt16Number(std::clamp(ink, 0.0, 1.0) * 65535.0 + 0.5);
    }
    out[3] = cmsUInt16Number(k * 65535.0 + 0.5);
    return 1;
}

int cmykToLab(const cmsUInt16Number in[], cmsUInt16Number out[], void* cargo) {
    const double k = in[3] / 65535.0;
    double rgb[3];
    for (int c = 0; c < 3; ++c) rgb[c] = (1.0 - in[c] / 65535.0) * (1.0 - k);
    cmsCIELab lab;
    cmsDoTransform(static_cast<Transforms*>(cargo)->rgbToLab, rgb, &lab, 1);
    cmsFloat2LabEncoded(out, &lab);
    return 1;
}

// Appends a stage to the pipeline, which then owns it; frees the stage and answers false when there is no
// pipeline or the append fails.
bool append(cmsPipeline* pipeline, cmsStage* stage) {
    if (pipeline && stage && cmsPipelineInsertStage(pipeline, cmsAT_END, stage)) return true;
    if (stage) cmsStageFree(stage);
    return false;
}

// A pipeline of one sampled table between identity curves (the form the ICC table types store);
// false when LittleCMS fails.
bool writeTable(cmsHPROFILE profile, cmsTagSignature tag, int inputs, int outputs, int points,
                cmsSAMPLER16 sampler, Transforms* cargo) {
    const auto in = cmsUInt32Number(inputs), out = cmsUInt32Number(outputs);
    cmsPipeline* pipeline = cmsPipelineAlloc(nullptr, in, out);
    cmsStage* table = cmsStageAllocCLut16bit(nullptr, cmsUInt32Number(points), in, out, nullptr);
    const bool sampled = table && cmsStageSampleCLut16bit(table, sampler, cargo, 0);
    bool ok = pipeline && sampled;
    for (cmsStage* stage : {cmsStageAllocToneCurves(nullptr, in, nullptr), table,
                            cmsStageAllocToneCurves(nullptr, out, nullptr)})
        ok = append(ok ? pipeline : nullptr, stage) && ok;
    ok = ok && cmsWriteTag(profile, tag, pipeline);
    if (pipeline) cmsPipelineFree(pipeline);
    return ok;
}

bool writeText(cmsHPROFILE profile, cmsTagSignature tag, const char* text) {
    cmsMLU* mlu = cmsMLUalloc(nullptr, 1);
    const bool ok = mlu && cmsMLUsetASCII(mlu, "en", "US", text) && cmsWriteTag(profile, tag, mlu);
    if (mlu) cmsMLUfree(mlu);
    return ok;
}

}  // namespace

cmsHPROFILE GeneratedCmykProfile::create() {
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
    Transforms transforms;
    if (srgb && lab) {
        transforms.labToRgb = cmsCreateTransform(lab, TYPE_Lab_DBL, srgb, TYPE_RGB_DBL, INTENT_RELATIVE_COLORIMETRIC,
                                                 cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE);
        transforms.rgbToLab = cmsCreateTransform(srgb, TYPE_RGB_DBL, lab, TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC,
                                                 cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE);
    }
    cmsHPROFILE profile = cmsCreateProfilePlaceholder(nullptr);
    bool ok = profile && transforms.labToRgb && transforms.rgbToLab;
    if (ok) {
        cmsSetProfileVersion(profile, 4.3);
        cmsSetDeviceClass(profile, cmsSigOutputClass);
        cmsSetColorSpace(profile, cmsSigCmykData);
        cmsSetPCS(profile, cmsSigLabData);
        cmsSetHeaderRenderingIntent(profile, INTENT_PERCEPTUAL);
        ok = writeText(profile, cmsSigProfileDescriptionTag, "zukip plain sRGB separation (grey on black)") &&
             writeText(profile, cmsSigCopyrightTag, "No copyright, use freely") &&
             cmsWriteTag(profile, cmsSigMediaWhitePointTag, cmsD50_XYZ()) &&
             writeTable(profile, cmsSigBToA0Tag, 3, 4, kLabGridPoints, labToCmyk, &transforms) &&
             writeTable(profile, cmsSigAToB0Tag, 4, 3, kCmykGridPoints, cmykToLab, &transforms);
    }
    for (cmsHTRANSFORM t : {transforms.labToRgb, transforms.rgbToLab})
        if (t) cmsDeleteTransform(t);
    for (cmsHPROFILE p : {srgb, lab})
        if (p) cmsCloseProfile(p);
    if (!ok && profile) {
        cmsCloseProfile(profile);
        return nullptr;
    }
    return profile;
}

bool GeneratedCmykProfile::save(const std::string& path) {
    cmsHPROFILE profile = create();
    const bool ok = profile && cmsSaveProfileToFile(profile, path.c_str());
    if (profile) cmsCloseProfile(profile);
    return ok;
}
