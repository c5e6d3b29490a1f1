// Which compiled copy of the frame loop runs: the portable one or one built for a newer x86-64
// level (more and wider registers, fewer spills). Every copy computes the same bits.
#pragma once

#include <cstdint>

// The x86-64 copies are chosen by a CPU check and a plain branch, not by ifuncs, so the Windows
// build can have them too; 32-bit x86 keeps to the portable copy.
#if defined(__x86_64__) && defined(__GNUC__)
#define BRINDLET_FRAME_PATHS_X86_64 1
#else
#define BRINDLET_FRAME_PATHS_X86_64 0
#endif

namespace brindlet {

enum class FramePath : int32_t { Portable = 0, X86_64_V3 = 1, X86_64_V4 = 2 };

// Whether this build has the copy and this CPU can run it.
bool framePathAvailable(FramePath path);
// The best available copy unless a test forced another; read once per block.
FramePath activeFramePath();
// For tests: runs `path` from now on in every engine (ignored when it is not available).
void forceFramePath(FramePath path);

}  // namespace brindlet
