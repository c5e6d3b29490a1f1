// Small arithmetic helpers whose results are the same bits on every target.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace brindlet {

// The per-frame steps are small functions of several classes; they must inline into the frame
// loop so its local copies of the state stay in registers.
#define BRINDLET_FRAME_STEP [[gnu::always_inline]] inline

// Equality of the bits: no NaN or signed-zero rules, and a test in integer registers.
BRINDLET_FRAME_STEP bool sameBits(float a, float b) {
    return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b);
}

// Integer nearest to x, ties to even; x is a float product already rounded to single precision.
inline float nearestEven(float x) {
    return std::nearbyint(x);
}

// The same for 0 <= x < 2^23, inline: adding 2^23 leaves no fraction bits, so the sum is
// rounded to an integer by the addition itself (to nearest, ties to even).
BRINDLET_FRAME_STEP float nearestEvenSmall(float x) {
    constexpr float kNoFraction = 8388608.0f;
    return (x + kNoFraction) - kNoFraction;
}

// nearestEvenSmall as an integer, for 0 <= x < 2^23. With SSE one conversion does it (it rounds
// as the current mode does, like the addition), which keeps two dependent additions off the
// read position's path.
BRINDLET_FRAME_STEP int32_t nearestEvenIndex(float x) {
#if defined(__SSE2__)
    return _mm_cvtss_si32(_mm_set_ss(x));
#else
    return static_cast<int32_t>(nearestEvenSmall(x));
#endif
}

// Level below which recursive values are forced to zero so they never decay into denormals.
// Written as !(|x| >= limit) so a NaN that slipped into a recursion is cleared as well.
constexpr float kTinyLevel = 1e-8f;
BRINDLET_FRAME_STEP float flushTiny(float x) {
    return std::fabs(x) >= kTinyLevel ? x : 0.0f;
}

// The slew rule shared by feedback and mix: a fixed step towards the target, then the target.
// A settled value (equal to its target) is most frames' case: the rule below would return the
// target then too, as d is 0 and the step is positive.
BRINDLET_FRAME_STEP float slewTowards(float value, float target, float step, float negStep) {
    if (value == target) return target;
    const float d = target - value;
    if (d >= step || d <= negStep) return d > 0.0f ? value + step : value - step;
    return target;
}

// 2^y from + - * / and ldexp only: library exp/exp2 differ in the last bit between C libraries,
// which would change rounded single-precision factors and with them every render's bits.
double portableExp2(double y);

// The per-frame factor of the exponential sweep part: e^(-5.2983 / n), ln 0.005 to four places.
float sweepExpFactor(float lengthFrames);

}  // namespace brindlet
