// Picks the frame loop copy once from the CPU's features; tests may force another.
#include "engine/FramePath.h"

#include "engine/RelaxedAtomic.h"

namespace brindlet {

namespace {

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
            return __builtin_cpu_supports("x86-64-v3");
        case FramePath::X86_64_V4:
            return __builtin_cpu_supports("x86-64-v4");
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
