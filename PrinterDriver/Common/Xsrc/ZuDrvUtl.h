#pragma once
// Small utilities shared by the whole module: user messages, the module's
// string table, comma-separated list texts, replace-all and code-page
// conversion. They hold no state.
#include "AString.h"

// Shows a modal message box (type 0: one OK button); returns the button pressed.
int DrvMessageBox(const char* text, unsigned type = 0, void* owner = nullptr, const char* caption = nullptr);
// Shows string `number` of the module's string table.
void DrvMessageFromString(int number, unsigned type = 0, void* owner = nullptr, const char* caption = nullptr);
// Copies string `number` into buffer (at most size - 1 characters, terminated);
// returns its length, 0 (buffer untouched) when the table lacks it or it is empty.
int DrvLoadString(int number, char* buffer, int size);
// Number of items of a list text (items each followed by the text's last character).
int DrvCountListItems(const char* list);
// Copies item `index` of a comma list into out (terminated); its length + 1, or 0 when empty or missing.
int DrvGetListItem(int index, const char* list, char* out, int outSize);
// Splits at the first delimiter character (in the order given) that occurs; head = before, result = after.
AString DrvSplitFirst(const char* text, const char* delimiters, AString& head);
// Case-insensitive comparison, <0, 0 or >0.
int DrvStrICmp(const char* a, const char* b);
// Replaces each occurrence of search, resuming one character past each inserted replacement.
AString ZuGetStrReplace(const char* text, const char* search, const char* replacement);
// Converts text from the system code page to UTF-8; 1 on success, 0 (out unchanged) otherwise.
int DrvAnsiToUtf8(const char* text, AString& out);
