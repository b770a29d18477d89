#include "CDriverDLL.h"

CDriverDLL::CDriverDLL() = default;

bool CDriverDLL::InitInstance() { return true; }

int CDriverDLL::ExitInstance() { return 0; }

const AString& CDriverDLL::ColorName(int index) const { return KIPColorSuffixes::Get(index); }

void CDriverDLL::SetColorName(int index, const char* name) { KIPColorSuffixes::Set(index, name); }

CDriverDLL& CDriverDLL::Instance() {
    static CDriverDLL module;
    return module;
}
