// Fuzzes the text form of the options block ("DriverOptionBinary"): the input
// is the settings text, read by ReadDriverOptionText and by the engine's
// ReadOptions. Bytes 200..255 must never change; a refused text changes nothing.
#include "DriverOptions.h"
#include "FuzzSupport.h"
#include "PlatformMessageBox.h"
#include "PrinterSetup.h"
#include "RTL.h"

#include <cstring>
#include <string>

namespace {
DriverOptions patternBlock() {
    DriverOptions block;
    auto* bytes = reinterpret_cast<uint8_t*>(&block);
    for (int i = 0; i < kOptionsSize; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 3);
    return block;
}

void requireTailKept(const DriverOptions& block, const DriverOptions& before) {
    const auto* now = reinterpret_cast<const uint8_t*>(&block);
    const auto* was = reinterpret_cast<const uint8_t*>(&before);
    if (std::memcmp(now + kOptionsTextBytes, was + kOptionsTextBytes, kOptionsSize - kOptionsTextBytes) != 0)
        FuzzFail("bytes past the text form changed");
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzBaseFolder();
    MessageBoxCapture boxes;
    // The host hands a C string: the text ends at the first zero byte.
    const std::string text(reinterpret_cast<const char*>(data), size);
    const DriverOptions before = patternBlock();

    DriverOptions block = before;
    if (!ReadDriverOptionText(text.c_str(), &block) && std::memcmp(&block, &before, sizeof block) != 0)
        FuzzFail("refused text changed the block");
    requireTailKept(block, before);

    static RTL engine;
    PrinterSetup setup;
    block = before;
    if (engine.ReadOptions(text.c_str(), &block, &setup) != 1) FuzzFail("ReadOptions did not answer 1");
    requireTailKept(block, before);
    return 0;
}
