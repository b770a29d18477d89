// Images users have, made here with libtiff, libpng and libjpeg, through
// make-job: each job's raster planes must match an independent conversion of
// the same pixels (LittleCMS through its own API for RGB, plain
// arithmetic for grey and CMYK) within the tolerance each case states.
#include "GeneratedCmykProfile.h"
#include "HostProgramFixture.h"

#include <jpeglib.h>
#include <lcms2.h>
#include <png.h>

#include <cstdint>
#include <cstring>
#include <functional>

namespace fs = std::filesystem;

namespace {

// A TIFF page of samples (values 0..2^bits - 1, interleaved), packed MSB first; 16-bit samples in the
// machine's order, as libtiff takes them.
TiffPage image(uint32_t w, uint32_t h, uint16_t samples, uint16_t bits, uint16_t photometric,
               const std::vector<int>& values) {
    const size_t rowCount = size_t(w) * samples, rowBytes = (rowCount * bits + 7) / 8;
    std::vector<uint8_t> data(rowBytes * h, 0);
    for (size_t i = 0; i < values.size(); ++i) {
        uint8_t* row = &data[i / rowCount * rowBytes];
        const size_t s = i % rowCount;
        if (bits == 16) std::memcpy(&row[2 * s], &values[i], 2);
        else row[s * bits / 8] |= uint8_t(values[i] << (8 - bits - s * bits % 8));
    }
    return TiffPage{w, h, samples, bits, photometric, data};
}

void writePng(const fs::path& path, uint32_t w, uint32_t h, const std::vector<uint8_t>& rgba) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_ADAM7, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_bytep> rows(h);
    for (uint32_t y = 0; y < h; ++y) rows[y] = const_cast<uint8_t*>(&rgba[size_t(y) * w * 4]);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
}

void writeJpeg(const fs::path& path, uint32_t w, uint32_t h, const std::vector<uint8_t>& rgb) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, f);
    c.image_width = w;
    c.image_height = h;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < h) {
        JSAMPROW row = const_cast<uint8_t*>(&rgb[size_t(c.next_scanline) * w * 3]);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::fclose(f);
}

// The JPEG's pixels as libjpeg decodes them.
std::vector<uint8_t> decodeJpeg(const fs::path& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    jpeg_decompress_struct d{};
    jpeg_error_mgr err{};
    d.err = jpeg_std_error(&err);
    jpeg_create_decompress(&d);
    jpeg_stdio_src(&d, f);
    jpeg_read_header(&d, TRUE);
    d.out_color_space = JCS_RGB;
    jpeg_start_decompress(&d);
    std::vector<uint8_t> rgb(size_t(d.output_width) * d.output_height * 3);
    while (d.output_scanline < d.output_height) {
        JSAMPROW row = &rgb[size_t(d.output_scanline) * d.output_width * 3];
        jpeg_read_scanlines(&d, &row, 1);
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    std::fclose(f);
    return rgb;
}

std::vector<int> pattern(uint32_t w, uint32_t h, int samples, int max, int seed) {
    std::vector<int> v(size_t(w) * h * samples);
    for (size_t i = 0; i < v.size(); ++i) v[i] = int((i * 37 + i / samples * 11 + size_t(seed) * 101) % size_t(max + 1));
    return v;
}

// 8-bit or 16-bit RGB samples in sRGB through LittleCMS to the default CMYK profile: interleaved ink values.
std::vector<int> cmykOfRgb(const std::vector<int>& rgb, bool sixteen) {
    cmsHPROFILE srgb = cmsCreate_sRGBProfile(), cmyk = GeneratedCmykProfile::create();
    cmsHTRANSFORM t =
        cmsCreateTransform(srgb, sixteen ? TYPE_RGB_16 : TYPE_RGB_8, cmyk, TYPE_CMYK_8, INTENT_PERCEPTUAL, 0);
    const std::vector<uint16_t> wide(rgb.begin(), rgb.end());
    const std::vector<uint8_t> narrow(rgb.begin(), rgb.end());
    std::vector<uint8_t> out(rgb.size() / 3 * 4);
    const void* in = sixteen ? static_cast<const void*>(wide.data()) : narrow.data();
    cmsDoTransform(t, in, out.data(), cmsUInt32Number(rgb.size() / 3));
    cmsDeleteTransform(t);
    cmsCloseProfile(srgb);
    cmsCloseProfile(cmyk);
    return std::vector<int>(out.begin(), out.end());
}

// RGBA samples as RGB printed on white paper.
std::vector<int> onWhite(const std::vector<int>& rgba) {
    std::vector<int> rgb;
    for (size_t i = 0; i < rgba.size(); i += 4)
        for (int c = 0; c < 3; ++c) rgb.push_back((rgba[i + c] * rgba[i + 3] + 255 * (255 - rgba[i + 3]) + 127) / 255);
    return rgb;
}

struct ExpectedPage {
    std::vector<std::string> inks;   // internal names in plane order
    uint32_t width, height;
    std::vector<int> values;         // ink values 0..255, interleaved in the order of inks
};
using Pages = std::vector<ExpectedPage>;

struct InputCase {
    std::string file;
    std::vector<std::string> args;   // make-job arguments besides output and image
    int tolerance;
    std::function<Pages(const fs::path&)> make;   // writes file, returns the expected pages
};

const std::vector<std::string> kCmyk = {"Cyan", "Magenta", "Yellow", "Black"};

std::vector<InputCase> cases() {
    return {
        {"rgb8.tif", {"--cmyk-profile", "cmyk.icc"}, 2, [](const fs::path& file) {
             std::vector<int> v = pattern(23, 9, 3, 255, 1);
             for (int x = 0; x < 23 * 3; ++x) v[x] = x / 3 * 11;   // a grey ramp in the first row
             writeTiff(file, {image(23, 9, 3, 8, PHOTOMETRIC_RGB, v)});
             EXPECT_TRUE(GeneratedCmykProfile::save((file.parent_path() / "cmyk.icc").string()));
             return Pages{{kCmyk, 23, 9, cmykOfRgb(v, false)}};
         }},
        {"rgb16.tif", {}, 1, [](const fs::path& file) {
             const std::vector<int> v = pattern(17, 6, 3, 65535, 2);
             writeTiff(file, {image(17, 6, 3, 16, PHOTOMETRIC_RGB, v)});
             return Pages{{kCmyk, 17, 6, cmykOfRgb(v, true)}};
         }},
        {"alpha.tif", {}, 3, [](const fs::path& file) {
             const std::vector<int> v = pattern(11, 4, 4, 255, 4);
             TiffPage p = image(11, 4, 4, 8, PHOTOMETRIC_RGB, v);
             p.extra = {EXTRASAMPLE_UNASSALPHA};
             writeTiff(file, {p});
             return Pages{{kCmyk, 11, 4, cmykOfRgb(onWhite(v), false)}};
         }},
        {"palette.tif", {}, 1, [](const fs::path& file) {
             const std::vector<int> v = pattern(13, 5, 1, 15, 3);
             TiffPage p = image(13, 5, 1, 4, PHOTOMETRIC_PALETTE, v);
             for (int i = 0; i < 48; ++i) p.colormap.push_back(uint16_t(i * 1361 % 65536));
             writeTiff(file, {p});
             std::vector<int> rgb;
             for (int index : v)
                 for (int c = 0; c < 3; ++c) rgb.push_back(p.colormap[size_t(c) * 16 + size_t(index)]);
             return Pages{{kCmyk, 13, 5, cmykOfRgb(rgb, true)}};
         }},
        {"grey16.tif", {}, 1, [](const fs::path& file) {
             const std::vector<int> v = pattern(19, 7, 1, 65535, 5);
             writeTiff(file, {image(19, 7, 1, 16, PHOTOMETRIC_MINISBLACK, v)});
             std::vector<int> ink;
             for (const int g : v) ink.push_back(255 - (g + 128) / 257);
             return Pages{{{"Black"}, 19, 7, ink}};
         }},
        {"pages.tif", {}, 0, [](const fs::path& file) {
             // Tiled, in widths that are not a multiple of the tile width.
             std::vector<TiffPage> pages;
             Pages expected;
             for (uint32_t w = 40; w < 43; ++w) {
                 const std::vector<int> v = pattern(w, 20, 4, 255, int(w));
                 pages.push_back(image(w, 20, 4, 8, PHOTOMETRIC_SEPARATED, v));
                 pages.back().tile = 16;
                 expected.push_back({kCmyk, w, 20, v});
             }
             writeTiff(file, pages);
             return expected;
         }},
        {"turned.tif", {}, 0, [](const fs::path& file) {
             // Orientation 6: stored rows are the picture's columns, its top row the left one read bottom up.
             // Min-is-white at 600 dpi, which the printer has: the job takes it, so nothing is resampled.
             const std::vector<int> v = pattern(7, 4, 1, 255, 14);
             TiffPage p = image(7, 4, 1, 8, PHOTOMETRIC_MINISWHITE, v);
             p.orientation = 6;
             p.dpi = 600;
             writeTiff(file, {p});
             std::vector<int> upright;
             for (uint32_t y = 0; y < 7; ++y)
                 for (uint32_t x = 0; x < 4; ++x) upright.push_back(v[(3 - x) * 7 + y]);
             return Pages{{{"Black"}, 4, 7, upright}};
         }},
        {"alpha.png", {}, 3, [](const fs::path& file) {
             const std::vector<int> v = pattern(10, 6, 4, 255, 11);
             writePng(file, 10, 6, std::vector<uint8_t>(v.begin(), v.end()));
             return Pages{{kCmyk, 10, 6, cmykOfRgb(onWhite(v), false)}};
         }},
        {"photo.jpg", {}, 2, [](const fs::path& file) {
             const std::vector<int> v = pattern(16, 8, 3, 255, 12);
             writeJpeg(file, 16, 8, std::vector<uint8_t>(v.begin(), v.end()));
             const std::vector<uint8_t> decoded = decodeJpeg(file);
             return Pages{{kCmyk, 16, 8, cmykOfRgb(std::vector<int>(decoded.begin(), decoded.end()), false)}};
         }},
        {"scaled.tif", {"-r", "300"}, 0, [](const fs::path& file) {
             // At 600 dpi printed at 300: blocks of 2 x 2 pixels, so that the nearest pixel gives each block's value.
             const std::vector<int> blocks = pattern(6, 4, 1, 255, 15);
             std::vector<int> v;
             for (uint32_t y = 0; y < 8; ++y)
                 for (uint32_t x = 0; x < 12; ++x) v.push_back(blocks[y / 2 * 6 + x / 2]);
             TiffPage p = image(12, 8, 1, 8, PHOTOMETRIC_MINISWHITE, v);
             p.dpi = 600;
             writeTiff(file, {p});
             return Pages{{{"Black"}, 6, 4, blocks}};
         }},
    };
}

using ImageInput = HostProgramTest;

}  // namespace

TEST_F(ImageInput, EveryKindOfImageBecomesThePlanesOfAnIndependentConversion) {
    for (const InputCase& c : cases()) {
        SCOPED_TRACE(c.file);
        const Pages expected = c.make(work() / c.file);
        std::vector<std::string> args = {"-o", "job.job", "--force"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.push_back(c.file);
        const ProgramRun run = zukip("make-job", args);
        ASSERT_EQ(run.status, 0) << run.err;
        const std::vector<PageData> pages = readRaster(work() / "job.job");
        ASSERT_EQ(pages.size(), expected.size());
        for (size_t p = 0; p < pages.size(); ++p) {
            SCOPED_TRACE("page " + std::to_string(p));
            const ExpectedPage& want = expected[p];
            ASSERT_EQ(pages[p].planes.size(), want.inks.size());
            ASSERT_EQ(uint32_t(pages[p].width), want.width);
            ASSERT_EQ(uint32_t(pages[p].height), want.height);
            for (size_t i = 0; i < want.inks.size(); ++i) {
                const PlaneData& got = pages[p].planes[i];
                EXPECT_EQ(got.internalName, want.inks[i]);
                ASSERT_EQ(got.depth, 8);
                int worst = 0;
                for (size_t y = 0; y < want.height; ++y)
                    for (size_t x = 0; x < want.width; ++x) {
                        const int value = want.values[(y * want.width + x) * want.inks.size() + i];
                        worst = std::max(worst, std::abs(int(got.rows[y][x]) - value));
                    }
                EXPECT_LE(worst, c.tolerance) << want.inks[i];
            }
        }
    }
}

TEST_F(ImageInput, ACutImageIsRefusedAndLeavesNothingBehind) {
    // Cut part way: the rows above the damage are in the raster file by the time it shows.
    const std::vector<int> v = pattern(64, 256, 4, 255, 17);
    writeJpeg(work() / "photo.jpg", 64, 256, std::vector<uint8_t>(v.begin(), v.end()));
    writePng(work() / "alpha.png", 64, 256, std::vector<uint8_t>(v.begin(), v.end()));
    for (const char* name : {"photo.jpg", "alpha.png"}) {
        SCOPED_TRACE(name);
        const std::vector<unsigned char> whole = readBytes(work() / name);
        writeBytes(work() / name, std::vector<unsigned char>(whole.begin(), whole.begin() + long(whole.size() * 3 / 4)));
        const std::vector<std::string> before = listTree(work());
        const ProgramRun run = zukip("make-job", {"-o", "job.job", name});
        EXPECT_NE(run.status, 0);
        EXPECT_NE(run.err.find(name), std::string::npos) << run.err;
        EXPECT_EQ(listTree(work()), before);
    }
}
