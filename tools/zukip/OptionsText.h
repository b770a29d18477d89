#pragma once
// The text form in which a host keeps a driver options block with its printer
// settings: "DriverOptionBinary=" followed by the block's first 200 bytes as
// 400 hexadecimal digits.
#include "DriverOptions.h"

#include <string>

class OptionsText {
public:
    // "DriverOptionBinary=" and 400 upper-case hex digits of bytes 0..199.
    static std::string format(const DriverOptions& block);
    // Reads such a text (hex digits in either case, blanks around it allowed) into bytes 0..199 of
    // block; bytes 200..255 keep their values. Throws UsageError naming what is wrong.
    static void parse(const std::string& text, DriverOptions& block);
};
