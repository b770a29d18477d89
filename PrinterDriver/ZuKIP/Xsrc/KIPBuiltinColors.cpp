#include "KIPBuiltinColors.h"

#include "KIPColorSuffixes.h"
#include "ZuColorNames.h"
#include "ZuDrvUtl.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr int kDisplayNameString = 8003;
constexpr int kListTextSize = 1024;
constexpr int kFirstSpotItem = 5;     // "Spot 01" in the display-name list
constexpr int kOrangeItem = 25;
constexpr int kGreenItem = 26;
constexpr uint32_t kSpotColorStep = 0x0A0A0A;

enum class Inks { CMYK, CMY, Black, CMYKOrGr, CMYKSpots };

struct Mode {
    Inks inks;
    uint32_t bits;
};

// Indexed by colour mode. CMYKOr modes list Green as well; their jobs only
// write the first five separations.
constexpr Mode kModes[KIPBuiltinColors::kModeCount] = {
    {Inks::CMYK, 1}, {Inks::CMY, 1}, {Inks::Black, 1}, {Inks::CMYKOrGr, 1}, {Inks::CMYKOrGr, 1},
    {Inks::CMYK, 8}, {Inks::CMY, 8}, {Inks::Black, 8}, {Inks::CMYKOrGr, 8}, {Inks::CMYKOrGr, 8},
    {Inks::CMYKSpots, 1},
};

// Appends entries while the list has room.
class ListFiller {
public:
    // A list that states no capacity has the host's usual room.
    ListFiller(ColorantList& list, uint32_t bits)
        : list_(list), room_(list.capacity > 0 ? list.capacity : kColorantCapacity), bits_(bits) {
        DrvLoadString(kDisplayNameString, displayNames_, sizeof displayNames_);
    }

    void addProcess(int index) {
        const char* name = GetZuColorName(index);
        add(name, displayName(index), 0, GetZuColorValue(name));
    }
    void addNamed(const char* name, int displayItem) { add(name, displayName(displayItem), 0, GetZuColorValue(name)); }
    void addSpot(int k) {
        const AString name = displayName(kFirstSpotItem + k - 1);
        add(name, name, 1, static_cast<uint32_t>(k) * kSpotColorStep);
    }
    int count() const { return count_; }

private:
    AString displayName(int item) const {
        char text[sizeof(ColorantEntry::displayName)] = {};
        DrvGetListItem(item, displayNames_, text, sizeof text);
        return text;
    }
    void add(const char* name, const char* display, uint32_t spot, uint32_t color) {
        if (count_ >= room_) return;
        ColorantEntry& entry = list_.entries[count_++];
        std::memset(&entry, 0, sizeof entry);
        ZuCopyField(entry.name, sizeof entry.name, name);
        ZuCopyField(entry.displayName, sizeof entry.displayName, display);
        entry.spot = spot;
        entry.one = 1;
        entry.bitsPerPixel = bits_;
        entry.color = color;
    }

    ColorantList& list_;
    int room_;
    uint32_t bits_;
    char displayNames_[kListTextSize] = {};
    int count_ = 0;
};
}  // namespace

int KIPBuiltinColors::GetColorantList(int colorMode, ColorantList* list) {
    if (colorMode < 0 || colorMode >= kModeCount || !list || !list->entries) return 0;
    const Mode& mode = kModes[colorMode];
    ListFiller filler(*list, mode.bits);
    switch (mode.inks) {
    case Inks::Black:
        filler.addProcess(3);
        break;
    case Inks::CMY:
        for (int i = 0; i < 3; ++i) filler.addProcess(i);
        break;
    case Inks::CMYK:
    case Inks::CMYKOrGr:
    case Inks::CMYKSpots:
        for (int i = 0; i < 4; ++i) filler.addProcess(i);
        break;
    }
    if (mode.inks == Inks::CMYKOrGr) {
        filler.addNamed("Orange", kOrangeItem);
        filler.addNamed("Green", kGreenItem);
    }
    if (mode.inks == Inks::CMYKSpots)
        for (int k = 1; k <= kSpotCount; ++k) filler.addSpot(k);
    list->count = filler.count();
    return 1;
}

int KIPBuiltinColors::ApplySeparationRule(int colorMode) {
    switch (colorMode) {
    case 0:
    case 5:
        return 4;
    case 2:
    case 7:
        return 1;
    case 3:
    case 8:
        KIPColorSuffixes::Set(4, "Orange");
        KIPColorSuffixes::Set(5, "");
        return 5;
    case 4:
    case 9:
        KIPColorSuffixes::Set(4, "Orange");
        KIPColorSuffixes::Set(5, "Green");
        KIPColorSuffixes::Set(6, "");
        return 6;
    default:
        return 0;
    }
}
