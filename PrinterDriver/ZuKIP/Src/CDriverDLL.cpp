#include "CDriverDLL.h"

namespace {
const AString kNoName;
}  // namespace

CDriverDLL::CDriverDLL() : colorNames{"Cyan", "Magenta", "Yellow", "Black"} {}

bool CDriverDLL::InitInstance() { return true; }

int CDriverDLL::ExitInstance() { return 0; }

const AString& CDriverDLL::ColorName(int index) const {
    if (index < 0 || index >= kColorNameCount) return kNoName;
    return colorNames[index];
}

void CDriverDLL::SetColorName(int index, const char* name) {
    if (index >= 0 && index < kColorNameCount) colorNames[index] = name;
}

CDriverDLL& CDriverDLL::Instance() {
    static CDriverDLL module;
    return module;
}
