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
