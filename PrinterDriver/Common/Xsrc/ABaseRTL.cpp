#include "ABaseRTL.h"

#include "DitherParams.h"
#include "DriverError.h"
#include "ScreeningParams.h"

#include "ALocaleSwitcher.h"
#include "AString.h"
#include "Platform/ModuleStateGuard.h"
#include "RVLog.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#define ABASERTL_LOG RV_LOG("PrinterDriver\\Common\\Xsrc\\ABaseRTL")

namespace {

constexpr ABaseRTL::ScreenDefault kDefaultScreens[] = {
    {"Cyan", 105.0f},   {"Magenta", 75.0f},   {"Yellow", 90.0f}, {"Black", 45.0f},
    {"LCyan", 75.0f},   {"LMagenta", 105.0f}, {"Orange", 105.0f}, {"Green", 75.0f},
};
constexpr float kDefaultFrequency = 55.0f;
constexpr int kMaxDitherLevels = 64;
constexpr int kMaxDitherInks = 16;
constexpr int kDitherStepsPerInk = 64;

// ORs a value of `bits` bits into dst at bit position pos (most significant bit first).
void orBits(uint8_t* dst, long long pos, unsigned value, int bits) {
    const long long index = pos >> 3;
    const int offset = static_cast<int>(pos & 7);
    if (offset + bits <= 8) {
        dst[index] |= static_cast<uint8_t>(value << (8 - bits - offset));
        return;
    }
    // Only reachable when the start position is not aligned to the pixel size.
    dst[index] |= static_cast<uint8_t>(value >> (offset + bits - 8));
    dst[index + 1] |= static_cast<uint8_t>(value << (16 - bits - offset));
}

}  // namespace

ABaseRTL::ABaseRTL() = default;

ABaseRTL::~ABaseRTL() {
    // Bytes still buffered are dropped on purpose: only a flushing write sends them.
    delete[] writeBuffer;
}

int ABaseRTL::ScaleLine(int bitsPerPixel, int bitCount, const uint8_t* src, int factor, int* bitPos, uint8_t* dst) {
    const int b = bitsPerPixel;
    if ((b != 1 && b != 2 && b != 4 && b != 8) || bitCount < 0 || factor < 1 || !src || !bitPos || !dst) return 0;
    const long long outBits = static_cast<long long>(bitCount) * factor;
    std::memset(dst, 0, static_cast<size_t>((outBits + 7) / 8));
    const unsigned mask = (1u << b) - 1;
    const int sourceBytes = (bitCount + 7) / 8;
    long long pos = *bitPos;
    for (int i = 0; i < sourceBytes; ++i) {
        const unsigned byte = src[i];
        for (int shift = 8 - b; shift >= 0; shift -= b) {
            const unsigned value = (byte >> shift) & mask;
            for (int k = 0; k < factor; ++k, pos += b) orBits(dst, pos, value, b);
        }
    }
    *bitPos += static_cast<int>(outBits);
    return 1;
}

int ABaseRTL::ReportProgress(int percent) {
    char text[256];
    std::snprintf(text, sizeof text, "%3d%%", std::clamp(percent, 0, 100));
    SetStatus(3, text);
    return 1;
}

int ABaseRTL::WriteNdata(const void* data, int count, int flush) {
    if (flush) {
        if (bufferedBytes > 0) sendBuffer();
        if (count > 0 && !sendToPort(data, count)) {
            ABASERTL_LOG("ABaseRTL::WriteNdata num=%d", count);
            throw DriverError{0};
        }
        return count;
    }
    if (!writeBuffer) {
        writeBuffer = new (std::nothrow) uint8_t[kWriteBufferSize];
        if (!writeBuffer) {
            ABASERTL_LOG("ABaseRTL::WriteNdata");
            throw DriverError{0};
        }
        bufferedBytes = 0;
    }
    if (count <= 0) return count;
    const uint32_t n = static_cast<uint32_t>(count);
    if (bufferedBytes + n > kWriteBufferLimit && bufferedBytes > 0) sendBuffer();
    if (n > kWriteBufferLimit) {
        if (!sendToPort(data, count)) {
            ABASERTL_LOG("ABaseRTL::WriteNdata");
            throw DriverError{0};
        }
        return count;
    }
    std::memcpy(writeBuffer + bufferedBytes, data, n);
    bufferedBytes += n;
    return count;
}

void ABaseRTL::sendBuffer() {
    const int count = static_cast<int>(bufferedBytes);
    bufferedBytes = 0;
    if (!sendToPort(writeBuffer, count)) {
        ABASERTL_LOG("ABaseRTL::WriteNdata");
        throw DriverError{0};
    }
}

bool ABaseRTL::sendToPort(const void* data, int count) {
    if (!outputPort || !data) return false;
    const uint64_t context = driverJob && driverJob->request ? driverJob->request->portContext : 0;
    return outputPort->write(data, count, context) == count;
}

void ABaseRTL::SetStatus(int kind, const char* text) {
    JobRequest* request = driverJob ? driverJob->request : nullptr;
    if (!request) return;
    ZuCopyField(request->statusText, sizeof request->statusText, text ? text : "");
    request->statusKind = kind;
}

int ABaseRTL::ReadOtherOptions(const char*, DriverOptions*, PrinterSetup*) { return 1; }

int ABaseRTL::ReadOptions(const char* text, DriverOptions* block, PrinterSetup* setupArg) {
    [[maybe_unused]] ModuleStateGuard state;
    if (!text || !block || !std::strstr(text, "DriverOptionBinary")) return ReadOtherOptions(text, block, setupArg);
    // A key without "=" leaves the block as it is, and still counts as read.
    ReadDriverOptionText(text, block);
    return 1;
}

void ABaseRTL::FillScreens(ScreenTable& table, std::span<const ScreenDefault> screens, const char* shape,
                           float frequency) {
    table.count = static_cast<int32_t>(screens.size());
    for (size_t i = 0; i < screens.size(); ++i) {
        ScreenEntry& entry = table.entries[i];
        std::memset(&entry, 0, sizeof entry);
        ZuCopyField(entry.shape, sizeof entry.shape, shape);
        entry.frequency = frequency;
        entry.angle = screens[i].angle;
        ZuCopyField(entry.colorName, sizeof entry.colorName, screens[i].color);
    }
}

int ABaseRTL::GetScreeningTable(ScreenTable* table, PrinterSetup* setupArg) {
    if (!table) return 0;
    FillScreens(*table, kDefaultScreens, "Diamond", kDefaultFrequency);
    if (setupArg && setupArg->modelName[0] && setupArg->manufacturerName[0]) {
        AString path;
        FindScreeningParamsFile(setupArg->modelName, setupArg->manufacturerName, path);
        LoadScreeningParams(path, setupArg, table);   // defaults stay where the file has no branch
    }
    return 1;
}

int ABaseRTL::GetMediaList(const PrinterSetup*, MediaList*, int*) { return 0; }

int ABaseRTL::GetMediaControl(const PrinterSetup*, const MediaEntry*, const MediaEntry*, ResolutionList*, int*) {
    return 0;
}

int ABaseRTL::SetPaperInfo(PaperInfo* info, double width, double height, uint32_t value, const char* text,
                           const char* secondText) {
    if (!info) return 0;
    info->width = width;
    info->height = height;
    info->value = value;
    AString full(text ? text : "");
    if (secondText) {
        full += "x";
        full += secondText;
    }
    ZuCopyField(info->text, sizeof info->text, full);
    return 1;
}

int ABaseRTL::SetOutputName(const char*, intptr_t) { return 1; }

int ABaseRTL::GetDitherTable(const PrinterSetup* locateSetup, const char* manufacturer,
                             const PrinterSetup* selectSetup, DitherTable* table) {
    if (!selectSetup || !table) return 0;
    ALocaleSwitcher locale;
    std::vector<ColorantEntry> entries(kColorantCapacity);
    ColorantList list{0, entries.data(), kColorantCapacity};
    if (GetColorantList(static_cast<int>(selectSetup->colorModeId), &list) && list.count > 0) {
        const uint32_t depth = entries[0].bitsPerPixel;
        const int levels = depth >= 6 ? kMaxDitherLevels : 1 << depth;
        table->levels = levels;
        table->antiClog = 0;
        table->noise = 1.0f;
        table->inkCount = std::min(list.count, kMaxDitherInks);
        for (int ink = 0; ink < table->inkCount && levels > 1; ++ink)
            for (int k = 1; k < levels; ++k)
                table->weights[kDitherStepsPerInk * ink + k - 1] = static_cast<float>(k) / static_cast<float>(levels - 1);
        // Continuous-tone colour modes are not dithered.
        if (depth == 8 || depth == 16) return 0;
    }
    if (!locateSetup) return 0;
    AString path;
    FindDitherParamsFile(locateSetup->modelName, manufacturer ? manufacturer : "", path);
    return LoadDitherParams(path, selectSetup, table);
}

int ABaseRTL::ForwardToReserved25(const PrinterSetup* setupArg, MediaEntry* media, intptr_t a, intptr_t b,
                                  intptr_t, intptr_t c, intptr_t d) {
    return Reserved25(setupArg, media, a, b, c, d);
}

int ABaseRTL::SetPrinterSetup(const PrinterSetup* setupArg) {
    if (setupArg) setup = *setupArg;
    return 1;
}
