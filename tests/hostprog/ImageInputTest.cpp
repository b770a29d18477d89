// Images users have, made here with libtiff, libpng and libjpeg, through
// make-job: each job's raster planes must match an independent conversion of
// the same pixels (LittleCMS through its own API for RGB and Lab, plain
// arithmetic for grey and CMYK) within the tolerance each case states.
#include "GeneratedCmykProfile.h"
#include "HostProgramFixture.h"
#include "JobHeader.h"
#include "PageReader.h"
#include "RasterReadBack.h"
#include "ToolError.h"

#include <jpeglib.h>
#include <lcms2.h>
#include <png.h>
#include <tiffio.h>

#include <cstdint>
#include <cstring>
#include <functional>

namespace fs = std::filesystem;

namespace {

using Rows = std::vector<std::vector<int>>;   // values 0..255 (or 0..65535 for 16-bit input)

struct TiffPage {
    uint32_t width = 0, height = 0;
    uint16_t samples = 1, bits = 8, photometric = PHOTOMETRIC_MINISBLACK;
    std::vector<int> values;            // width * height * samples samples
    std::vector<uint16_t> extra;        // ExtraSamples types
    std::vector<uint16_t> colormap;     // 3 * 2^bits entries of a palette image
    uint16_t orientation = 1;
    float dpi = 0;
    uint32_t tile = 0;                  // tile size, 0 for strips
};

TiffPage page(uint32_t w, uint32_t h, uint16_t samples, uint16_t bits, uint16_t photometric, std::vector<int> values) {
    TiffPage p;
    p.width = w, p.height = h, p.samples = samples, p.bits = bits, p.photometric = photometric;
    p.values = std::move(values);
    return p;
}

std::vector<uint8_t> packRow(const TiffPage& p, uint32_t y) {
    const size_t count = size_t(p.width) * p.samples;
    std::vector<uint8_t> row((count * p.bits + 7) / 8, 0);
    for (size_t i = 0; i < count; ++i) {
        const int v = p.values[y * count + i];
        if (p.bits == 16) std::memcpy(&row[2 * i], &v, 2);   // libtiff takes samples in the machine's order
        else if (p.bits == 8) row[i] = uint8_t(v);
        else row[i * p.bits / 8] |= uint8_t(v << (8 - p.bits - i * p.bits % 8));
    }
    return row;
}

void writeTiffPages(const fs::path& path, const std::vector<TiffPage>& pages) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tif, nullptr);
    for (const TiffPage& p : pages) {
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, p.width);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, p.height);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, p.samples);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, p.bits);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, p.photometric);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tif, TIFFTAG_ORIENTATION, p.orientation);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
        if (!p.extra.empty()) TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, uint16_t(p.extra.size()), p.extra.data());
        if (!p.colormap.empty()) {
            const size_t n = p.colormap.size() / 3;
            TIFFSetField(tif, TIFFTAG_COLORMAP, &p.colormap[0], &p.colormap[n], &p.colormap[2 * n]);
        }
        if (p.dpi > 0) {
            TIFFSetField(tif, TIFFTAG_XRESOLUTION, p.dpi);
            TIFFSetField(tif, TIFFTAG_YRESOLUTION, p.dpi);
            TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
        }
        if (p.tile) {
            TIFFSetField(tif, TIFFTAG_TILEWIDTH, p.tile);
            TIFFSetField(tif, TIFFTAG_TILELENGTH, p.tile);
            const size_t pixelBytes = p.samples * p.bits / 8;
            std::vector<uint8_t> tile(size_t(p.tile) * p.tile * pixelBytes);
            for (uint32_t ty = 0; ty < p.height; ty += p.tile)
                for (uint32_t tx = 0; tx < p.width; tx += p.tile) {
                    std::fill(tile.begin(), tile.end(), 0);
                    for (uint32_t y = ty; y < std::min(ty + p.tile, p.height); ++y) {
                        const std::vector<uint8_t> row = packRow(p, y);
                        const size_t bytes = (std::min(tx + p.tile, p.width) - tx) * pixelBytes;
                        std::memcpy(&tile[(y - ty) * p.tile * pixelBytes], &row[tx * pixelBytes], bytes);
                    }
                    ASSERT_GE(TIFFWriteTile(tif, tile.data(), tx, ty, 0, 0), 0);
                }
        } else {
            TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 4);
            for (uint32_t y = 0; y < p.height; ++y) {
                std::vector<uint8_t> row = packRow(p, y);
                ASSERT_GE(TIFFWriteScanline(tif, row.data(), y, 0), 0);
            }
        }
        TIFFWriteDirectory(tif);
    }
    TIFFClose(tif);
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

// RGB pixels (8 or 16 bits) in sRGB through LittleCMS to the default CMYK profile: four planes of ink.
std::vector<Rows> cmykOf(const std::vector<int>& rgb, uint32_t w, uint32_t h, bool sixteen) {
    cmsHPROFILE srgb = cmsCreate_sRGBProfile(), cmyk = GeneratedCmykProfile::create();
    cmsHTRANSFORM t = cmsCreateTransform(srgb, sixteen ? TYPE_RGB_16 : TYPE_RGB_8, cmyk, TYPE_CMYK_8,
                                         INTENT_PERCEPTUAL, 0);
    std::vector<Rows> planes(4, Rows(h, std::vector<int>(w)));
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            const size_t i = (size_t(y) * w + x) * 3;
            uint8_t out[4];
            if (sixteen) {
                const uint16_t in[3] = {uint16_t(rgb[i]), uint16_t(rgb[i + 1]), uint16_t(rgb[i + 2])};
                cmsDoTransform(t, in, out, 1);
            } else {
                const uint8_t in[3] = {uint8_t(rgb[i]), uint8_t(rgb[i + 1]), uint8_t(rgb[i + 2])};
                cmsDoTransform(t, in, out, 1);
            }
            for (int c = 0; c < 4; ++c) planes[c][y][x] = out[c];
        }
    cmsDeleteTransform(t);
    cmsCloseProfile(srgb);
    cmsCloseProfile(cmyk);
    return planes;
}

std::vector<int> pattern(uint32_t w, uint32_t h, int samples, int max, int seed) {
    std::vector<int> v(size_t(w) * h * samples);
    for (size_t i = 0; i < v.size(); ++i) v[i] = int((i * 37 + i / samples * 11 + size_t(seed) * 101) % size_t(max + 1));
    return v;
}

std::vector<Rows> planesOf(const std::vector<int>& interleaved, uint32_t w, uint32_t h, int samples,
                           const std::function<int(int)>& value) {
    std::vector<Rows> planes(size_t(samples), Rows(h, std::vector<int>(w)));
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            for (int s = 0; s < samples; ++s) planes[s][y][x] = value(interleaved[(size_t(y) * w + x) * samples + s]);
    return planes;
}

// A 600 dpi CMYK page of w x h blocks of 2 x 2 pixels, so that every nearest pixel of a block at 300 dpi gives
// the block's value.
TiffPage doubledBlocks(const std::vector<int>& blocks, uint32_t w, uint32_t h, uint16_t orientation) {
    TiffPage p = page(2 * w, 2 * h, 4, 8, PHOTOMETRIC_SEPARATED, {});
    p.dpi = 600;
    p.orientation = orientation;
    for (uint32_t y = 0; y < 2 * h; ++y)
        for (uint32_t x = 0; x < 2 * w; ++x)
            for (int s = 0; s < 4; ++s) p.values.push_back(blocks[((y / 2) * w + x / 2) * 4 + size_t(s)]);
    return p;
}

int onWhite(int value, int alpha) { return (value * alpha + 255 * (255 - alpha) + 127) / 255; }

struct ExpectedPage {
    std::vector<std::string> inks;   // internal names in plane order
    std::vector<Rows> planes;
};

struct InputCase {
    std::string file;
    std::vector<std::string> args;   // make-job arguments besides model, output and image
    int tolerance;
    std::function<std::vector<ExpectedPage>(const fs::path&)> make;   // writes file, returns the expected pages
};

const std::vector<std::string> kCmyk = {"Cyan", "Magenta", "Yellow", "Black"};

std::vector<InputCase> cases() {
    return {
        {"rgb8.tif", {}, 2, [](const fs::path& file) {
             TiffPage p = page(23, 9, 3, 8, PHOTOMETRIC_RGB, pattern(23, 9, 3, 255, 1));
             for (uint32_t x = 0; x < 23; ++x) p.values[x * 3] = p.values[x * 3 + 1] = p.values[x * 3 + 2] = int(x * 11);
             writeTiffPages(file, {p});
             return std::vector<ExpectedPage>{{kCmyk, cmykOf(p.values, 23, 9, false)}};
         }},
        {"rgb16.tif", {"--cmyk-profile", "cmyk.icc"}, 1, [](const fs::path& file) {
             TiffPage p = page(17, 6, 3, 16, PHOTOMETRIC_RGB, pattern(17, 6, 3, 65535, 2));
             writeTiffPages(file, {p});
             EXPECT_TRUE(GeneratedCmykProfile::save((file.parent_path() / "cmyk.icc").string()));
             return std::vector<ExpectedPage>{{kCmyk, cmykOf(p.values, 17, 6, true)}};
         }},
        {"palette.tif", {}, 1, [](const fs::path& file) {
             TiffPage p = page(13, 5, 1, 4, PHOTOMETRIC_PALETTE, pattern(13, 5, 1, 15, 3));
             for (int i = 0; i < 48; ++i) p.colormap.push_back(uint16_t(i * 1361 % 65536));
             writeTiffPages(file, {p});
             std::vector<int> rgb;
             for (int index : p.values)
                 for (int c = 0; c < 3; ++c) rgb.push_back(p.colormap[size_t(c) * 16 + size_t(index)]);
             return std::vector<ExpectedPage>{{kCmyk, cmykOf(rgb, 13, 5, true)}};
         }},
        {"lab.tif", {}, 1, [](const fs::path& file) {
             TiffPage p = page(9, 5, 3, 8, PHOTOMETRIC_CIELAB, pattern(9, 5, 3, 255, 17));
             writeTiffPages(file, {p});
             cmsHPROFILE lab = cmsCreateLab4Profile(nullptr), cmyk = GeneratedCmykProfile::create();
             cmsHTRANSFORM t = cmsCreateTransform(lab, TYPE_Lab_16, cmyk, TYPE_CMYK_8, INTENT_PERCEPTUAL, 0);
             std::vector<Rows> planes(4, Rows(5, std::vector<int>(9)));
             for (size_t i = 0; i < p.values.size(); i += 3) {
                 // L over 0..255, a and b signed bytes.
                 const cmsCIELab value{p.values[i] * 100.0 / 255, double(int8_t(p.values[i + 1])),
                                       double(int8_t(p.values[i + 2]))};
                 cmsUInt16Number encoded[3];
                 cmsFloat2LabEncoded(encoded, &value);
                 uint8_t out[4];
                 cmsDoTransform(t, encoded, out, 1);
                 for (int c = 0; c < 4; ++c) planes[c][i / 27][i / 3 % 9] = out[c];
             }
             cmsDeleteTransform(t);
             cmsCloseProfile(lab);
             cmsCloseProfile(cmyk);
             return std::vector<ExpectedPage>{{kCmyk, planes}};
         }},
        {"alpha.tif", {}, 3, [](const fs::path& file) {
             TiffPage p = page(11, 4, 4, 8, PHOTOMETRIC_RGB, pattern(11, 4, 4, 255, 4));
             p.extra = {EXTRASAMPLE_UNASSALPHA};
             writeTiffPages(file, {p});
             std::vector<int> rgb;
             for (size_t i = 0; i < p.values.size(); i += 4)
                 for (int c = 0; c < 3; ++c) rgb.push_back(onWhite(p.values[i + c], p.values[i + 3]));
             return std::vector<ExpectedPage>{{kCmyk, cmykOf(rgb, 11, 4, false)}};
         }},
        {"grey8.tif", {}, 0, [](const fs::path& file) {
             TiffPage p = page(4, 2, 1, 8, PHOTOMETRIC_MINISBLACK, {0, 64, 128, 255, 10, 20, 30, 40});
             writeTiffPages(file, {p});
             return std::vector<ExpectedPage>{{{"Black"}, planesOf(p.values, 4, 2, 1, [](int v) { return 255 - v; })}};
         }},
        {"grey16.tif", {}, 1, [](const fs::path& file) {
             TiffPage p = page(19, 7, 1, 16, PHOTOMETRIC_MINISBLACK, pattern(19, 7, 1, 65535, 5));
             writeTiffPages(file, {p});
             return std::vector<ExpectedPage>{
                 {{"Black"}, planesOf(p.values, 19, 7, 1, [](int v) { return 255 - (v + 128) / 257; })}};
         }},
        {"white.tif", {}, 0, [](const fs::path& file) {
             TiffPage p = page(9, 9, 1, 8, PHOTOMETRIC_MINISWHITE, pattern(9, 9, 1, 255, 6));
             writeTiffPages(file, {p});
             return std::vector<ExpectedPage>{{{"Black"}, planesOf(p.values, 9, 9, 1, [](int v) { return v; })}};
         }},
        {"tiled.tif", {}, 0, [](const fs::path& file) {
             TiffPage p = page(40, 20, 4, 8, PHOTOMETRIC_SEPARATED, pattern(40, 20, 4, 255, 7));
             p.tile = 16;
             writeTiffPages(file, {p});
             return std::vector<ExpectedPage>{{kCmyk, planesOf(p.values, 40, 20, 4, [](int v) { return v; })}};
         }},
        {"pages.tif", {}, 0, [](const fs::path& file) {
             std::vector<TiffPage> pages;
             std::vector<ExpectedPage> expected;
             for (int i = 0; i < 3; ++i) {
                 const uint32_t w = 8 + uint32_t(i), h = 5;
                 pages.push_back(page(w, h, 4, 8, PHOTOMETRIC_SEPARATED, pattern(w, h, 4, 255, 8 + i)));
                 expected.push_back({kCmyk, planesOf(pages.back().values, w, h, 4, [](int v) { return v; })});
             }
             writeTiffPages(file, pages);
             return expected;
         }},
        {"alpha.png", {}, 3, [](const fs::path& file) {
             const std::vector<int> v = pattern(10, 6, 4, 255, 11);
             writePng(file, 10, 6, std::vector<uint8_t>(v.begin(), v.end()));
             std::vector<int> rgb;
             for (size_t i = 0; i < v.size(); i += 4)
                 for (int c = 0; c < 3; ++c) rgb.push_back(onWhite(v[i + c], v[i + 3]));
             return std::vector<ExpectedPage>{{kCmyk, cmykOf(rgb, 10, 6, false)}};
         }},
        {"photo.jpg", {}, 2, [](const fs::path& file) {
             const std::vector<int> v = pattern(16, 8, 3, 255, 12);
             writeJpeg(file, 16, 8, std::vector<uint8_t>(v.begin(), v.end()));
             const std::vector<uint8_t> decoded = decodeJpeg(file);
             return std::vector<ExpectedPage>{{kCmyk, cmykOf(std::vector<int>(decoded.begin(), decoded.end()), 16, 8, false)}};
         }},
        {"600dpi.tif", {"-r", "300"}, 0, [](const fs::path& file) {
             const std::vector<int> blocks = pattern(6, 4, 4, 255, 13);
             writeTiffPages(file, {doubledBlocks(blocks, 6, 4, 1)});
             return std::vector<ExpectedPage>{{kCmyk, planesOf(blocks, 6, 4, 4, [](int v) { return v; })}};
         }},
        {"mirrored.tif", {"-r", "300"}, 0, [](const fs::path& file) {
             // Orientation 2: the stored rows run right to left.
             const std::vector<int> blocks = pattern(6, 4, 4, 255, 15);
             writeTiffPages(file, {doubledBlocks(blocks, 6, 4, 2)});
             std::vector<int> upright;
             for (uint32_t y = 0; y < 4; ++y)
                 for (uint32_t x = 0; x < 6; ++x)
                     for (int s = 0; s < 4; ++s) upright.push_back(blocks[(y * 6 + 5 - x) * 4 + size_t(s)]);
             return std::vector<ExpectedPage>{{kCmyk, planesOf(upright, 6, 4, 4, [](int v) { return v; })}};
         }},
        {"turned.tif", {}, 0, [](const fs::path& file) {
             // Orientation 6: the stored rows are the picture's columns, its top row the stored left column
             // read from the bottom up.
             TiffPage p = page(7, 4, 4, 8, PHOTOMETRIC_SEPARATED, pattern(7, 4, 4, 255, 14));
             p.orientation = 6;
             writeTiffPages(file, {p});
             std::vector<int> upright;
             for (uint32_t y = 0; y < 7; ++y)
                 for (uint32_t x = 0; x < 4; ++x)
                     for (int s = 0; s < 4; ++s) upright.push_back(p.values[((3 - x) * 7 + y) * 4 + size_t(s)]);
             return std::vector<ExpectedPage>{{kCmyk, planesOf(upright, 4, 7, 4, [](int v) { return v; })}};
         }},
    };
}

class ImageInput : public HostProgramTest {
protected:
    ImageInput() { base_.copySamples(); }
};

}  // namespace

TEST_F(ImageInput, EveryKindOfImageBecomesThePlanesOfAnIndependentConversion) {
    for (const InputCase& c : cases()) {
        SCOPED_TRACE(c.file);
        const std::vector<ExpectedPage> expected = c.make(work() / c.file);
        std::vector<std::string> args = {"-m", "KIP 870 Color", "-o", "job.job", "--force"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.push_back(c.file);
        const ProgramRun run = zukip("make-job", args);
        ASSERT_EQ(run.status, 0) << run.err;
        const std::vector<PageData> pages = readRaster(work() / "job.job");
        ASSERT_EQ(pages.size(), expected.size());
        for (size_t p = 0; p < pages.size(); ++p) {
            const ExpectedPage& want = expected[p];
            ASSERT_EQ(pages[p].planes.size(), want.inks.size()) << "page " << p;
            ASSERT_EQ(size_t(pages[p].height), want.planes[0].size()) << "page " << p;
            ASSERT_EQ(size_t(pages[p].width), want.planes[0][0].size()) << "page " << p;
            for (size_t i = 0; i < want.inks.size(); ++i) {
                const PlaneData& got = pages[p].planes[i];
                EXPECT_EQ(got.internalName, want.inks[i]);
                ASSERT_EQ(got.depth, 8);
                int worst = 0;
                for (size_t y = 0; y < got.rows.size(); ++y)
                    for (size_t x = 0; x < got.rows[y].size(); ++x)
                        worst = std::max(worst, std::abs(int(got.rows[y][x]) - want.planes[i][y][x]));
                EXPECT_LE(worst, c.tolerance) << "page " << p << " " << want.inks[i];
            }
        }
    }
}

TEST_F(ImageInput, TheJobTakesTheImagesResolutionWhenThePrinterHasIt) {
    TiffPage p = page(12, 8, 1, 8, PHOTOMETRIC_MINISWHITE, pattern(12, 8, 1, 255, 15));
    p.dpi = 600;
    writeTiffPages(work() / "fine.tif", {p});
    ASSERT_EQ(zukip("make-job", {"-m", "KIP 870 Color", "-o", "job.job", "fine.tif"}).status, 0);
    JobHeaderLayout header{};
    const std::vector<unsigned char> bytes = readBytes(work() / "job.job");
    ASSERT_EQ(bytes.size(), sizeof header);
    std::memcpy(&header, bytes.data(), sizeof header);
    EXPECT_EQ(header.xResolution, 600.0f);
    EXPECT_EQ(readRaster(work() / "job.job").front().width, 12);
}

TEST_F(ImageInput, EveryCutImageIsRefusedWithoutCrashing) {
    const std::vector<int> v = pattern(10, 6, 4, 255, 16);
    writePng(work() / "whole.png", 10, 6, std::vector<uint8_t>(v.begin(), v.end()));
    writeJpeg(work() / "whole.jpg", 10, 6, std::vector<uint8_t>(v.begin(), v.begin() + 180));
    writeTiff(work() / "whole.tif", 8, 4, 4, 8, PHOTOMETRIC_SEPARATED, std::vector<uint8_t>(8 * 4 * 4, 100));
    struct CutCase {
        const char* name;
        InkTarget target;
        size_t planes;
        // Bytes at the end that a cut file may lack and still be read: only the PNG's closing chunk (12 bytes);
        // a TIFF prefix can succeed whenever everything the reader needs came before the cut.
        size_t mayLack;
    };
    const CutCase cases[] = {
        {"whole.png", InkTarget::Black, 1, 12},
        {"whole.jpg", InkTarget::Black, 1, 0},
        {"whole.tif", InkTarget::Cmyk, 4, SIZE_MAX},
    };
    ColourConverter converter("");
    for (const CutCase& c : cases) {
        const std::vector<unsigned char> whole = readBytes(work() / c.name);
        const fs::path cut = work() / (std::string("cut") + fs::path(c.name).extension().string());
        for (size_t n = 0; n < whole.size(); ++n) {
            writeBytes(cut, std::vector<unsigned char>(whole.begin(), whole.begin() + long(n)));
            try {
                PageReader reader(cut.string());
                ASSERT_TRUE(reader.nextPage(c.target, converter, {300, 300})) << c.name << " cut to " << n;
                const RasterPage& page = reader.page();
                std::vector<std::vector<uint8_t>> rows;
                std::vector<uint8_t*> pointers;
                for (const RasterPlane& plane : page.planes) rows.emplace_back(plane.rowBytes);
                for (std::vector<uint8_t>& row : rows) pointers.push_back(row.data());
                EXPECT_EQ(page.planes.size(), c.planes) << c.name << " cut to " << n;
                for (uint32_t y = 0; y < page.height; ++y) reader.readRow(pointers.data());
                EXPECT_FALSE(reader.nextPage(c.target, converter, {300, 300})) << c.name << " cut to " << n;
                EXPECT_TRUE(c.mayLack == SIZE_MAX || n + c.mayLack >= whole.size()) << c.name << " cut to " << n;
            } catch (const ToolError& e) {
                EXPECT_NE(std::string(e.what()).find(cut.filename().string()), std::string::npos) << e.what();
            }
        }
    }
}

TEST_F(ImageInput, AnImageDamagedPartWayLeavesNothingBehind) {
    // The rows above the damage are in the raster file by the time it shows.
    const std::vector<int> v = pattern(64, 256, 3, 255, 17);
    writeJpeg(work() / "photo.jpg", 64, 256, std::vector<uint8_t>(v.begin(), v.end()));
    const std::vector<unsigned char> whole = readBytes(work() / "photo.jpg");
    writeBytes(work() / "photo.jpg", std::vector<unsigned char>(whole.begin(), whole.begin() + long(whole.size() * 3 / 4)));
    const std::vector<std::string> before = listTree(work());
    const ProgramRun run = zukip("make-job", {"-m", "KIP 870 Color", "-o", "job.job", "photo.jpg"});
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.err.find("photo.jpg"), std::string::npos) << run.err;
    EXPECT_EQ(listTree(work()), before);
}
