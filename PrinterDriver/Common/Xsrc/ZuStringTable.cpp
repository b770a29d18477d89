#include "ZuStringTable.h"

namespace {
struct Entry {
    int number;
    const char* text;
};

constexpr Entry kEntries[] = {
    {2, "Media table from printer read successfully."},
    {8001, "Cyan,Magenta,Yellow,Black,"},
    {8002, "CMYK,CMY,Grayscale,CMYKOr,CMYKOrGr,CMYK (8 bits),CMY (8 bits),Grayscale (8 bits),CMYKOr (8 bits),"
           "CMYKOrGr (8 bits),SpotColors,"},
    {8003, "Cyan,Magenta,Yellow,Black,Spot Color,Spot 01,Spot 02,Spot 03,Spot 04,Spot 05,Spot 06,Spot 07,Spot 08,"
           "Spot 09,Spot 10,Spot 11,Spot 12,Spot 13,Spot 14,Spot 15,Spot 16,Spot 17,Spot 18,Spot 19,Spot 20,Orange,"
           "Green,"},
    {9001, "TIFF,BMP,"},
    {9002, "The driver doesn't support the current port, please select another port."},
    {9003, "Disable,Half tone /cluster,Stochastic /rainbow std,Weaker,B&W image,"},
};
}  // namespace

const char* ZuStringTable::Find(int number) {
    for (const Entry& entry : kEntries)
        if (entry.number == number) return entry.text;
    return nullptr;
}
