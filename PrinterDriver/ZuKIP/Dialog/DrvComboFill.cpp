#include "DrvComboFill.h"

#include "ZuDrvUtl.h"

#include <QComboBox>

#include <cstring>

namespace {
constexpr int kStringBufferSize = 256;
constexpr int kMaxItemLength = 127;
}  // namespace

void DrvFillComboFromString(int number, QComboBox* combo) {
    char text[kStringBufferSize] = {};
    if (DrvLoadString(number, text, kStringBufferSize) > 0) DrvFillComboFromList(text, combo);
}

void DrvFillComboFromList(const char* list, QComboBox* combo) {
    if (!combo) return;
    combo->clear();
    if (!list || !*list) return;
    const size_t length = std::strlen(list);
    const char separator = list[length - 1];
    const char* item = list;
    for (const char* end = std::strchr(item, separator); end; end = std::strchr(item, separator)) {
        const int itemLength = static_cast<int>(end - item);
        combo->addItem(QString::fromLocal8Bit(item, itemLength < kMaxItemLength ? itemLength : kMaxItemLength));
        item = end + 1;
    }
}
