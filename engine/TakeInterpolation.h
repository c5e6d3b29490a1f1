// Reading a take between samples: four-point Lagrange cubic, linear at the edges of the take.
#pragma once

#include <bit>
#include <cstdint>

#include "engine/EngineMath.h"
#include "engine/StereoSample.h"

namespace brindlet {

// Where and how to read a take at a position; the same for both channels of a frame.
struct TakeReadPoint {
    uint32_t i = 0;      // nearest sample, ties to even
    float f = 0.0f;      // t − i, in −0.5..0.5
    bool silent = true;  // beyond the last sample
    bool linear = true;  // at the start of the take or at its newest sample
    bool holdNewest = false;
};

// The cubic needs sample i + 1 written in this take (i + 1 < writePos) and a sample before i;
// otherwise the read is linear. `head` is the newest sample the take being read has written:
// a voice just behind it would otherwise blend in a sample of an older take (or extrapolate
// towards silence), so the newest one is held instead.
BRINDLET_FRAME_STEP TakeReadPoint locateRead(float t, float lastIndex, uint32_t writePos,
                                             uint32_t head) {
    TakeReadPoint point;
    if (!(t <= lastIndex)) return point;
    const int32_t nearest = nearestEvenIndex(t);  // positions stay in 0..2 x 10^6
    point.i = static_cast<uint32_t>(nearest);
    point.f = t - static_cast<float>(nearest);
    point.silent = false;
    point.holdNewest = point.i >= head;
    point.linear = point.i + 1 < 2 || point.i + 1 >= writePos;
    return point;
}

constexpr float kCubicScale = 0.16666667f;

// The cubic through samples c, d, e, g (at -1, 0, 1, 2), at f from d.
BRINDLET_FRAME_STEP StereoSample cubic(StereoSample c, StereoSample d, StereoSample e,
                                       StereoSample g, float f) {
    const StereoSample a2 = (c + e) * 0.5f - d;
    // Doubling by addition is exact like the multiplication and needs no constant.
    const StereoSample a2e = a2 + e;
    const StereoSample a3 = (d + g - (a2e + a2e)) * kCubicScale;
    const StereoSample a1 = a2 + d - a3 - c;
    return d + f * (a1 + f * (a2 + f * a3));
}

// Where a take was recorded from input fading towards zero, the cubic's coefficients are
// rounding residues some 2^-24 of the samples and often denormal. A multiplication with a
// denormal factor or product then costs a microcode assist, and so does a sum of two normal
// values that cancel into the denormal range; sums with a denormal operand cost nothing.
// Those steps are done in double and rounded back to float, which gives the float operation's
// bits: a double holds the exact product of two floats, and a difference rounded to double and
// then to float rounds as if once (53 >= 2 * 24 + 2 bits). Float denormals are ordinary
// doubles, and the conversions take and make them without an assist.
using StereoWide = double __attribute__((vector_size(16)));

BRINDLET_FRAME_STEP StereoWide widen(StereoSample x) {
    return __builtin_convertvector(x, StereoWide);
}
BRINDLET_FRAME_STEP StereoSample narrow(StereoWide x) {
    return __builtin_convertvector(x, StereoSample);
}
BRINDLET_FRAME_STEP StereoSample productViaDouble(StereoSample a, float b) {
    return narrow(widen(a) * static_cast<double>(b));
}
BRINDLET_FRAME_STEP StereoSample differenceViaDouble(StereoSample a, StereoSample b) {
    return narrow(widen(a) - widen(b));
}

// cubic() step for step, with the same bits for any finite samples; the third difference is
// the sum that cancels.
BRINDLET_FRAME_STEP StereoSample cubicOfTiny(StereoSample c, StereoSample d, StereoSample e,
                                             StereoSample g, float f) {
    const StereoSample a2 = productViaDouble(c + e, 0.5f) - d;
    const StereoSample a2e = a2 + e;
    const StereoSample a3 = productViaDouble(differenceViaDouble(d + g, a2e + a2e), kCubicScale);
    const StereoSample a1 = a2 + d - a3 - c;
    return d + productViaDouble(a1 + productViaDouble(a2 + productViaDouble(a3, f), f), f);
}

// Both lanes below 2^-63: far below anything audible, and far above where the cubic's residues
// of such samples reach the denormal range (2^-126). The sample at the read point stands for
// its neighbours; the test is one on the exponent fields' bits 6 and 7 of both lanes at once.
BRINDLET_FRAME_STEP bool bothTiny(const StereoSample& x) {
    constexpr uint64_t kHighExponentBits = 0x6000000060000000u;
    return (std::bit_cast<uint64_t>(x) & kHighExponentBits) == 0;
}

// The cubic around sample i, whose value d and next value e the caller has read.
BRINDLET_FRAME_STEP StereoSample cubicAt(const StereoSample* buffer, uint32_t i, StereoSample d,
                                         StereoSample e, float f) {
    const StereoSample c = buffer[i - 1];
    const StereoSample g = buffer[i + 2];
    if (bothTiny(d)) [[unlikely]]
        return cubicOfTiny(c, d, e, g, f);
    return cubic(c, d, e, g, f);
}

// Both channels at a read point. Reads up to two frames past the last one, so the buffer needs
// two guard frames.
BRINDLET_FRAME_STEP StereoSample readTake(const StereoSample* buffer, const TakeReadPoint& point) {
    if (point.silent) [[unlikely]]
        return StereoSample{0.0f, 0.0f};
    const uint32_t i = point.i;
    const float f = point.f;
    const StereoSample d = buffer[i];
    // Most reads are cubic between written samples: one test keeps the other two cases off them.
    if (point.linear | point.holdNewest) [[unlikely]] {
        const StereoSample e = point.holdNewest ? d : buffer[i + 1];
        if (point.linear) return d + f * (e - d);
        return cubicAt(buffer, i, d, e, f);
    }
    return cubicAt(buffer, i, d, buffer[i + 1], f);
}

// The frame at position t (0 beyond `lastIndex`).
inline StereoSample interpolateTake(const StereoSample* buffer, float t, float lastIndex,
                                    uint32_t writePos, uint32_t head) {
    return readTake(buffer, locateRead(t, lastIndex, writePos, head));
}

}  // namespace brindlet
