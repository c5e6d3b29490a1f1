// One stereo frame as a two-lane float vector: both channels take the same steps at once.
#pragma once

#include "engine/EngineMath.h"

namespace brindlet {

// A GCC/Clang vector: each lane is computed with exactly the single-precision operation the
// scalar code would use, so the results are the same bits whether the compiler uses one SSE
// instruction for both channels or, where it has no such instruction, two scalar ones.
using StereoSample = float __attribute__((vector_size(8)));

BRINDLET_FRAME_STEP StereoSample stereo(float left, float right) {
    return StereoSample{left, right};
}

// Non-finite input samples count as silence; anything finite, denormals included, passes.
BRINDLET_FRAME_STEP StereoSample finiteOrZero(StereoSample x) {
    const StereoSample zero = {0.0f, 0.0f};
    return x - x == zero ? x : zero;  // x − x is NaN exactly for NaN and infinity
}

// Recursive values below 1e-8 (and NaN) become 0, so they never decay into denormals.
BRINDLET_FRAME_STEP StereoSample flushTiny(StereoSample x) {
    const StereoSample zero = {0.0f, 0.0f};
    const StereoSample tiny = {kTinyLevel, kTinyLevel};
    const StereoSample magnitude = x < zero ? -x : x;
    return magnitude >= tiny ? x : zero;
}

// Soft limit of the fed-back signal: unchanged up to ±0.5, then a parabola reaching ±1 at ±2.
BRINDLET_FRAME_STEP StereoSample shapeFeedback(StereoSample v) {
    const StereoSample two = {2.0f, 2.0f};
    const StereoSample half = {0.5f, 0.5f};
    StereoSample y = v > two ? two : v;
    y = y < -two ? -two : y;
    const StereoSample q = y * y * 0.13333334f + 0.46666667f;
    return y > half ? q : (y < -half ? -q : y);
}

}  // namespace brindlet
