// Parameter indices, trigger modes and editor feed indices shared by the engine, shell and editor.
#pragma once

#include <cstdint>

namespace brindlet {

enum ParameterIndex : int32_t {
    kPitchStart = 0,
    kPitchEnd,
    kPitchDecay,
    kPitchShape,
    kEnvMod,
    kEnvAttack,
    kGateLevel,
    kFeedback,
    kTrigMode,
    kTrigLevel,
    kTrigSelectivity,
    kXFade,
    kMix,
    kSlopeOff,
    kNumParams
};

enum class TriggerMode : int8_t { Normal = 0, NoSlope = 1, Dry = 2, Mute = 3 };

// Display-only indices the engine sends to the editor beyond the parameters.
constexpr int32_t kFeedRise = 16;
constexpr int32_t kFeedLevel = 17;
constexpr int32_t kFeedSweep = 19;
constexpr int32_t kFeedIdle = 39;

// Longest text the plug-in writes into a host buffer, terminator included.
constexpr int kMaxTextBytes = 24;

}  // namespace brindlet
