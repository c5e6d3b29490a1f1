// Reading a take between samples: four-point Lagrange cubic, linear at the edges of the take.
#pragma once

#include <cstdint>

#include "engine/EngineMath.h"

namespace brindlet {

// The sample at position t (0 beyond `lastIndex`). The cubic needs sample i + 1 written in this
// take (i + 1 < writePos) and a sample before i; otherwise the read is linear. `head` is the
// newest sample the take being read has written: a voice just behind it would otherwise blend
// in a sample of an older take (or extrapolate towards silence), so the newest one is held.
// Reads reach up to two samples past `lastIndex`, so the buffer needs two guard samples.
inline float interpolateTake(const float* buffer, float t, float lastIndex, uint32_t writePos,
                             uint32_t head) {
    constexpr float kCubicScale = 0.16666667f;
    if (!(t <= lastIndex)) return 0.0f;
    const float nearest = nearestEven(t);
    const auto i = static_cast<uint32_t>(nearest);
    const float f = t - nearest;
    const float d = buffer[i];
    const float e = i < head ? buffer[i + 1] : d;
    if (i + 1 < 2 || i + 1 >= writePos) return d + f * (e - d);
    const float c = buffer[i - 1];
    const float g = buffer[i + 2];
    const float a2 = (c + e) * 0.5f - d;
    const float a3 = (d + g - 2.0f * (a2 + e)) * kCubicScale;
    const float a1 = a2 + d - a3 - c;
    return d + f * (a1 + f * (a2 + f * a3));
}

}  // namespace brindlet
