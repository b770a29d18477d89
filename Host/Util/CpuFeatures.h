#pragma once
// Instructions beyond the build's baseline, found at run time. A function
// built for them carries ZUKIP_TARGET and is called only when the processor
// has them. Where the compiler cannot build for other instruction sets (other
// compilers, other processors), the mark is empty, every feature reads as
// absent and the baseline code runs.
#if defined(__GNUC__) && defined(__x86_64__)
#define ZUKIP_CPU_DISPATCH 1
#define ZUKIP_TARGET(features) __attribute__((target(features)))
#define ZUKIP_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define ZUKIP_CPU_DISPATCH 0
#define ZUKIP_TARGET(features)
#define ZUKIP_ALWAYS_INLINE inline
#endif

class CpuFeatures {
public:
    enum Feature { Popcnt, Avx2, CarrylessMultiply };
    // Whether the running processor has the feature; always false where ZUKIP_CPU_DISPATCH is 0.
    static bool Has(Feature feature);
};
