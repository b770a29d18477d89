#pragma once
// The host's printer setup (592 bytes, 4-byte packing). Copies duplicate the
// owned string at offset 580 and free it when destroyed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#pragma pack(push, 4)
class PrinterSetup {
public:
    char modelName[64];             // 0
    uint8_t hostFields64[144];      // 64..207: copied, not read
    uint32_t colorModeId;           // 208
    int32_t mediaId;                // 212: -102, -101, -100 are resolved by the driver
    uint32_t printModeId;           // 216
    uint32_t resolutionId;          // 220
    uint8_t hostFields224[32];      // 224..255: copied, not read
    char manufacturerName[64];      // 256
    uint8_t hostBlock320[256];      // 320: copied as it stands
    uint32_t hostWord576;           // 576: copied as it stands
    char* ownedString;              // 580: owned, or null
    int32_t hostWord588;            // 588: copied as it stands

    PrinterSetup() { std::memset(static_cast<void*>(this), 0, sizeof *this); }   // all zero, no string
    PrinterSetup(const PrinterSetup& other) {                                    // duplicates the string
        std::memcpy(static_cast<void*>(this), &other, sizeof *this);
        ownedString = duplicate(other.ownedString);
    }
    PrinterSetup& operator=(const PrinterSetup& other) {                         // frees the old string first
        if (this == &other) return *this;
        std::free(ownedString);
        std::memcpy(static_cast<void*>(this), &other, sizeof *this);
        ownedString = duplicate(other.ownedString);
        return *this;
    }
    ~PrinterSetup() { std::free(ownedString); }

    // Replaces the owned string by a copy of text (null clears it).
    void setOwnedString(const char* text) {
        std::free(ownedString);
        ownedString = duplicate(text);
    }

private:
    // The host allocates the owned string with its length plus 10 bytes.
    static char* duplicate(const char* text) {
        if (!text) return nullptr;
        const size_t n = std::strlen(text);
        char* copy = static_cast<char*>(std::calloc(n + 10, 1));
        if (copy) std::memcpy(copy, text, n);
        return copy;
    }
};
#pragma pack(pop)

static_assert(offsetof(PrinterSetup, colorModeId) == 208);
static_assert(offsetof(PrinterSetup, mediaId) == 212);
static_assert(offsetof(PrinterSetup, printModeId) == 216);
static_assert(offsetof(PrinterSetup, resolutionId) == 220);
static_assert(offsetof(PrinterSetup, manufacturerName) == 256);
static_assert(offsetof(PrinterSetup, hostBlock320) == 320);
static_assert(offsetof(PrinterSetup, ownedString) == 580);
static_assert(offsetof(PrinterSetup, hostWord588) == 588);
static_assert(sizeof(PrinterSetup) == 592);
