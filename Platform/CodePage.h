#pragma once
// Conversion of the host's single-byte text (the system code page) to UTF-8.
// The system code page is the code set of the user's locale (LC_CTYPE from
// the environment); a plain ASCII locale is taken as Windows-1252, since the
// host's texts are single-byte and ASCII cannot represent their upper half.
// A text that is not valid in the locale's code set is read as Windows-1252.
#include <string>

// Converts text to UTF-8 into out; false (out unchanged) when the text does
// not convert or the conversion yields nothing.
bool PlatformAnsiToUtf8(const char* text, std::string& out);
