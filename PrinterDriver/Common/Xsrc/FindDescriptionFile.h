#pragma once
// The description index "OutputDrivers/ZuKIPDes.xml" maps model-name
// prefixes to printer description files.

// Looks the model up in the index: the first entry whose non-empty "Name" is a
// prefix of modelName wins. Copies its "XMLFile" into fileName (256 characters,
// at most 255 kept, always terminated) and returns 1; returns 0 (fileName
// untouched) when the index cannot be read or no entry matches.
int FindDescriptionFile(const char* modelName, char* fileName);
