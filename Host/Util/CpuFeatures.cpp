// Run-time detection of the instructions some hot loops are also built for.
#include "CpuFeatures.h"

bool CpuFeatures::Has(Feature feature) {
#if ZUKIP_CPU_DISPATCH
    __builtin_cpu_init();
    switch (feature) {
    case Popcnt: return __builtin_cpu_supports("popcnt");
    case Avx2: return __builtin_cpu_supports("avx2");
    case CarrylessMultiply: return __builtin_cpu_supports("pclmul");
    }
#endif
    static_cast<void>(feature);
    return false;
}
