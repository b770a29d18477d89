#include "ZuDrvUtl.h"

#include "Platform/CodePage.h"
#include "Platform/ModuleStateGuard.h"
#include "Platform/PlatformMessageBox.h"
#include "RVLog.h"
#include "ZuStringTable.h"

#include <cstring>
#include <exception>
#include <strings.h>

namespace {
// Brings the box to the front: the module runs inside the host's window.
constexpr unsigned kSetForeground = 0x10000;
constexpr int kMessageBufferSize = 256;
}  // namespace

int DrvMessageBox(const char* text, unsigned type, void* /*owner*/, const char* caption) {
    [[maybe_unused]] ModuleStateGuard moduleState;
    return PlatformMessageBox(text, caption, type | kSetForeground);
}

void DrvMessageFromString(int number, unsigned type, void* owner, const char* caption) {
    char text[kMessageBufferSize] = {};
    DrvLoadString(number, text, kMessageBufferSize);
    DrvMessageBox(text, type, owner, caption);
}

int DrvLoadString(int number, char* buffer, int size) {
    [[maybe_unused]] ModuleStateGuard moduleState;
    const char* text = ZuStringTable::Find(number);
    if (!text || !*text || !buffer || size <= 0) return 0;
    // Pads shorter strings with zeros, as the fixed-size fields expect.
    std::strncpy(buffer, text, static_cast<size_t>(size - 1));
    buffer[size - 1] = '\0';
    return static_cast<int>(std::strlen(text));
}

int DrvCountListItems(const char* list) {
    if (!list || !*list) return 0;
    const size_t length = std::strlen(list);
    const char separator = list[length - 1];
    int count = 0;
    for (size_t i = 0; i < length; ++i)
        if (list[i] == separator) ++count;
    return count;
}

int DrvGetListItem(int index, const char* list, char* out, int outSize) {
    if (!out || outSize <= 0) return 0;
    out[0] = '\0';
    if (!list || index < 0) return 0;
    const char* item = list;
    for (int i = 0; i < index; ++i) {
        item = std::strchr(item, ',');
        if (!item) return 0;
        ++item;
    }
    size_t length = std::strcspn(item, ",");
    if (length == 0) return 0;
    // An item longer than the output is cut; the result counts what was stored.
    if (length > static_cast<size_t>(outSize - 1)) length = static_cast<size_t>(outSize - 1);
    std::memcpy(out, item, length);
    out[length] = '\0';
    return static_cast<int>(length) + 1;
}

AString DrvSplitFirst(const char* text, const char* delimiters, AString& head) {
    const AString whole(text);
    for (const char* d = delimiters ? delimiters : ""; *d; ++d) {
        const int position = whole.Find(*d);
        if (position >= 0) {
            head = whole.Left(position);
            return whole.Mid(position + 1);
        }
    }
    head = whole;
    return AString();
}

int DrvStrICmp(const char* a, const char* b) { return strcasecmp(a ? a : "", b ? b : ""); }

AString ZuGetStrReplace(const char* text, const char* search, const char* replacement) {
    std::string work(text ? text : "");
    const std::string find(search ? search : "");
    const std::string insert(replacement ? replacement : "");
    // An empty search text would match everywhere; nothing to replace.
    if (find.empty()) return AString(work);
    try {
        size_t start = 0;
        for (size_t at = work.find(find, start); at != std::string::npos; at = work.find(find, start)) {
            work = work.substr(0, at) + insert + work.substr(at + find.size());
            // Resumes one past the inserted text, so a match right after it is kept.
            start = at + insert.size() + 1;
        }
    } catch (const std::exception&) {
        RV_LOG("PrinterDriver\\Common\\Xsrc\\ZuDrvUtl")("ZuGetStrReplace exception");
    }
    return AString(work);
}

int DrvAnsiToUtf8(const char* text, AString& out) {
    std::string converted;
    if (!PlatformAnsiToUtf8(text, converted)) return 0;
    out = AString(std::move(converted));
    return 1;
}
