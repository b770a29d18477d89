#pragma once
// Filling combo boxes from list texts of the module's string table. These
// belong with the driver utilities (ZuDrvUtl) but need the widget toolkit,
// which the core libraries do not link; so they live in the dialog layer.
class QComboBox;

// Fills combo from string `number` of the string table; nothing happens when the table lacks it.
void DrvFillComboFromString(int number, QComboBox* combo);
// Empties combo, then adds each item of the list text (items each followed by the text's last
// character) in order; an empty item adds an empty entry. Items are cut at 127 characters.
void DrvFillComboFromList(const char* list, QComboBox* combo);
