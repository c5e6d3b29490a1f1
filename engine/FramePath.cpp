// Picks the frame loop copy once from the CPU's features; tests may force another.
#include "engine/FramePath.h"

#include "engine/RelaxedAtomic.h"

#if BRINDLET_FRAME_PATHS_X86_64 && defined(__clang__) && __clang_major__ < 18
#include <cpuid.h>
#endif

namespace brindlet {

namespace {

#if BRINDLET_FRAME_PATHS_X86_64
// Older clang knows no level names in __builtin_cpu_supports (the fuzz preset builds with one):
// the levels' features asked one by one, those it cannot name through cpuid.
#if defined(__clang__) && __clang_major__ < 18
bool cpuidBit(unsigned leaf, int reg, int bit) {
    unsigned r[4] = {};
    return __get_cpuid(leaf, &r[0], &r[1], &r[2], &r[3]) && (r[reg] >> bit & 1u);
}

bool supportsV3() {
    constexpr int ecx = 2;
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") &&
           __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2") &&
           __builtin_cpu_supports("popcnt") && __builtin_cpu_supports("sse4.2") &&
           cpuidBit(1, ecx, 22) /* movbe */ && cpuidBit(1, ecx, 29) /* f16c */ &&
           cpuidBit(0x80000001u, ecx, 5) /* lzcnt */;
}

bool supportsV4() {
    return supportsV3() && __builtin_cpu_supports("avx512f") &&
           __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512cd") &&
           __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl");
}
#else
bool supportsV3() {
    return __builtin_cpu_supports("x86-64-v3");
}

bool supportsV4() {
    return __builtin_cpu_supports("x86-64-v4");
}
#endif
#endif

FramePath bestAvailable() {
#if BRINDLET_FRAME_PATHS_X86_64
    __builtin_cpu_init();  // this runs among the static constructors
#endif
    if (framePathAvailable(FramePath::X86_64_V4)) return FramePath::X86_64_V4;
    if (framePathAvailable(FramePath::X86_64_V3)) return FramePath::X86_64_V3;
    return FramePath::Portable;
}

// Set while the library loads, so the audio thread never meets a guarded first use.
RelaxedAtomic<int32_t> chosenPath(static_cast<int32_t>(bestAvailable()));

}  // namespace

bool framePathAvailable(FramePath path) {
    switch (path) {
        case FramePath::Portable:
            return true;
#if BRINDLET_FRAME_PATHS_X86_64
        case FramePath::X86_64_V3:
            return supportsV3();
        case FramePath::X86_64_V4:
            return supportsV4();
#else
        default:
            break;
#endif
    }
    return false;
}

FramePath activeFramePath() {
    return static_cast<FramePath>(chosenPath.load());
}

void forceFramePath(FramePath path) {
    if (framePathAvailable(path)) chosenPath.store(static_cast<int32_t>(path));
}

}  // namespace brindlet
