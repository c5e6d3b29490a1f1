// The editor's own tags beyond the parameters, carried in the same index space as parameters and
// feeds.
#pragma once

#include <cstdint>

namespace brindlet {

constexpr int32_t kTagSweepDisplay = 15;
constexpr int32_t kTagResetEnvMod = 20;
constexpr int32_t kTagResetFeedback = 21;
constexpr int32_t kTagPreset0 = 22;    // + k for factory preset k, k = 0 .. 7
constexpr int32_t kTagEndRatio0 = 30;  // + k for end ratio k, k = 0 .. 7
constexpr int32_t kTagEndEntry = 41;

constexpr int32_t kNumPresetButtons = 8;
constexpr int32_t kNumEndRatios = 8;

// "Pitch/ End" values of the ratio buttons, top to bottom: 1, 3/4, 2/3, 1/2, 3/8, 1/3, 1/4, 1/8.
inline constexpr float endRatioTable[kNumEndRatios] = {
    1.0f, 0.75f, 0.6666667f, 0.5f, 0.375f, 0.33333334f, 0.25f, 0.125f,
};

}  // namespace brindlet
