#pragma once
// The 256-byte driver options block the host stores with each printer and
// each job. Byte 0 is the layout version; any other value than 20 makes the
// block invalid until it is reset to the defaults.
#include <cstddef>
#include <cstdint>

struct DriverOptions {
    uint8_t optionsVersion;       // 0: 20
    uint8_t fileType;             // 1: 0 TIFF, 1 BMP
    uint8_t create32BitFile;      // 2
    uint8_t invertOutput;         // 3
    int8_t copies;                // 4
    uint8_t useFtpPort;           // 5
    uint8_t removeAfterTransfer;  // 6
    uint8_t imageEnhancement;     // 7: index into string 9003
    uint8_t bypassTray;           // 8
    uint8_t reserved[247];        // 9..255: kept as they are
};
static_assert(sizeof(DriverOptions) == 256);
static_assert(offsetof(DriverOptions, copies) == 4);
static_assert(offsetof(DriverOptions, bypassTray) == 8);

constexpr uint8_t kOptionsVersion = 20;
constexpr int kOptionsSize = 256;
constexpr int kOptionsTextBytes = 200;   // bytes carried by the "DriverOptionBinary" text

// Writes the defaults into bytes 0..8 (version 20, copies 1, all else 0);
// bytes 9..255 are left as they are.
void setDefaultOptions(DriverOptions* block);
// True when the block carries the current layout version.
bool IsValidOptions(const DriverOptions* block);
// Resets an invalid block to the defaults; a valid one is left alone.
void ValidateOptionsBlock(DriverOptions* block);
// Reads the "DriverOptionBinary" value of a settings text into bytes 0..199
// of block. Returns false (block untouched) when the key or the "=" after it
// is absent. A value
// shorter than 400 hex digits fills only the bytes whose pairs are complete
// (a lone last digit counts as a pair); the rest keep their values.
bool ReadDriverOptionText(const char* text, DriverOptions* block);
