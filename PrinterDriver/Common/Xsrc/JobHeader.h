#pragma once
// The header at the start of the host's job file: 3940 raw bytes,
// little-endian, no padding. This struct is the only description of the
// layout: the driver reads a file into it, and a host program fills one and
// writes it out (WriteJobHeaderFile). Fields not named here are ignored by
// the driver and written as zeros.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

static_assert(std::endian::native == std::endian::little, "the job header is read as raw little-endian bytes");

#pragma pack(push, 1)
struct JobHeaderLayout {
    uint8_t unused0[264];
    char jobName[256];          // 264: path of the source document
    uint8_t unused520[64];
    char modelName[64];         // 584
    char jobText3[64];          // 648
    float xResolution;          // 712: dpi
    float yResolution;          // 716
    uint8_t unused720[88];
    double pageWidth;           // 808: inches
    double pageHeight;          // 816
    uint8_t unused824[32];
    int16_t widthDpi;           // 856
    uint16_t heightWord;        // 858
    uint8_t unused860[1692];
    uint8_t options[256];       // 2552: the driver options block
    uint8_t unused2808[256];
    char jobText4[128];         // 3064
    uint8_t unused3192[512];
    char jobText1[64];          // 3704
    char jobText2[64];          // 3768
    uint8_t unused3832[2];
    int16_t colorMode;          // 3834: index into the colour mode list
    uint8_t unused3836[104];
};
#pragma pack(pop)

static_assert(offsetof(JobHeaderLayout, jobName) == 264);
static_assert(offsetof(JobHeaderLayout, modelName) == 584);
static_assert(offsetof(JobHeaderLayout, jobText3) == 648);
static_assert(offsetof(JobHeaderLayout, xResolution) == 712);
static_assert(offsetof(JobHeaderLayout, yResolution) == 716);
static_assert(offsetof(JobHeaderLayout, pageWidth) == 808);
static_assert(offsetof(JobHeaderLayout, pageHeight) == 816);
static_assert(offsetof(JobHeaderLayout, widthDpi) == 856);
static_assert(offsetof(JobHeaderLayout, heightWord) == 858);
static_assert(offsetof(JobHeaderLayout, options) == 2552);
static_assert(offsetof(JobHeaderLayout, jobText4) == 3064);
static_assert(offsetof(JobHeaderLayout, jobText1) == 3704);
static_assert(offsetof(JobHeaderLayout, jobText2) == 3768);
static_assert(offsetof(JobHeaderLayout, colorMode) == 3834);

constexpr size_t kJobHeaderSize = 3940;
static_assert(sizeof(JobHeaderLayout) == kJobHeaderSize);

// Stores text into a header field of N bytes: cut to N - 1 characters, zero-padded.
template <size_t N>
inline void SetJobHeaderText(char (&field)[N], const char* text) {
    std::memset(field, 0, N);
    if (text) std::strncpy(field, text, N - 1);
}

// Writes the header as the start of a new job file at path; false when the
// file cannot be created or written completely.
inline bool WriteJobHeaderFile(const char* path, const JobHeaderLayout& header) {
    std::FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    const bool written = std::fwrite(&header, sizeof header, 1, file) == 1;
    return std::fclose(file) == 0 && written;
}
