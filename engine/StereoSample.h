// One stereo frame as a two-lane float vector: both channels take the same steps at once.
#pragma once

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Lane masks and bit patterns: the selects below are written as bit operations because the
// compiler turns `a < b ? x : y` on two-lane vectors into per-lane branches.
using StereoBits = int32_t __attribute__((vector_size(8)));

BRINDLET_FRAME_STEP StereoBits bitsOf(StereoSample x) {
    return reinterpret_cast<StereoBits>(x);
}
BRINDLET_FRAME_STEP StereoSample sampleOf(StereoBits b) {
    return reinterpret_cast<StereoSample>(b);
}
// 0 · x for finite x without the multiplication: a zero with x's sign.
BRINDLET_FRAME_STEP StereoSample zeroTimes(StereoSample x) {
    const StereoBits sign = {INT32_MIN, INT32_MIN};
    return sampleOf(bitsOf(x) & sign);
}
// |x| with the sign bit cleared: exact for every value, -0 and NaN included.
BRINDLET_FRAME_STEP StereoSample magnitudeOf(StereoSample x) {
    const StereoBits noSign = {0x7FFFFFFF, 0x7FFFFFFF};
    return sampleOf(bitsOf(x) & noSign);
}
BRINDLET_FRAME_STEP StereoSample select(StereoBits mask, StereoSample yes, StereoSample no) {
    return sampleOf((mask & bitsOf(yes)) | (~mask & bitsOf(no)));
}

// Recursive values below 1e-8 (and NaN) become 0, so they never decay into denormals.
BRINDLET_FRAME_STEP StereoSample flushTiny(StereoSample x) {
    const StereoSample tiny = {kTinyLevel, kTinyLevel};
    return sampleOf(bitsOf(x) & (magnitudeOf(x) >= tiny));
}

// Soft limit of the fed-back signal: unchanged up to ±0.5, then a parabola reaching ±1 at ±2.
// The parabola is positive, so its sign is simply the input's; NaN passes unchanged.
BRINDLET_FRAME_STEP StereoSample shapeFeedback(StereoSample v) {
    const StereoSample two = {2.0f, 2.0f};
    const StereoSample half = {0.5f, 0.5f};
    const StereoBits sign = {INT32_MIN, INT32_MIN};
    StereoSample y = select(v > two, two, v);
    y = select(y < -two, -two, y);
    const StereoSample q = y * y * 0.13333334f + 0.46666667f;
    const StereoSample signedQ = sampleOf(bitsOf(q) | (bitsOf(y) & sign));
    return select(magnitudeOf(y) > half, signedQ, y);
}

#if defined(__SSE2__)
// flushTiny then shapeFeedback in four-lane SSE, where min/max do the clamp in one step each
// (minps(a, b) is exactly `a < b ? a : b`). The same bits as the two-lane steps; the upper
// lanes are copies and are dropped.
BRINDLET_FRAME_STEP StereoSample flushAndShapeFeedback(StereoSample v) {
    const __m128 noSign = _mm_castsi128_ps(_mm_set1_epi32(INT32_MAX));
    const __m128 sign = _mm_castsi128_ps(_mm_set1_epi32(INT32_MIN));
    __m128 x = __builtin_shufflevector(v, v, 0, 1, 0, 1);
    x = _mm_and_ps(x, _mm_cmpge_ps(_mm_and_ps(x, noSign), _mm_set1_ps(kTinyLevel)));
    // No NaN is left after the flush, so the clamp's operands may come in either order; the
    // constant second lets it be read from memory instead of being loaded into a register.
    __m128 y = _mm_min_ps(x, _mm_set1_ps(2.0f));
    y = _mm_max_ps(y, _mm_set1_ps(-2.0f));
    const __m128 q = _mm_add_ps(_mm_mul_ps(_mm_mul_ps(y, y), _mm_set1_ps(0.13333334f)),
                                _mm_set1_ps(0.46666667f));
    const __m128 signedQ = _mm_or_ps(q, _mm_and_ps(y, sign));
    // "Not at most 0.5" is "above 0.5" without NaN, and keeps the constant second.
    const __m128 outside = _mm_cmpnle_ps(_mm_and_ps(y, noSign), _mm_set1_ps(0.5f));
    const __m128 shaped = _mm_or_ps(_mm_and_ps(outside, signedQ), _mm_andnot_ps(outside, y));
    return __builtin_shufflevector(shaped, shaped, 0, 1);
}
#else
BRINDLET_FRAME_STEP StereoSample flushAndShapeFeedback(StereoSample v) {
    return shapeFeedback(flushTiny(v));
}
#endif

// Whether either lane is +0 or -0.
BRINDLET_FRAME_STEP bool anyZero(StereoSample x) {
    const StereoSample zero = {0.0f, 0.0f};
    const StereoBits isZero = x == zero;
    return (isZero[0] | isZero[1]) != 0;
}

// +0 · flushAndShapeFeedback(v) without the shaping: the product is a zero with the shaped
// value's sign, and shaping keeps the sign of the flushed value.
BRINDLET_FRAME_STEP StereoSample zeroTimesFeedback(StereoSample v) {
    return zeroTimes(flushTiny(v));
}

}  // namespace brindlet
