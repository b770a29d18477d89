#pragma once
// The module's own string table (US English): display names, list texts and
// messages that the resource script of the Windows build carries.

class ZuStringTable {
public:
    // The text of string `number`, or null when the table lacks it.
    static const char* Find(int number);
};
