// The eight factory presets: names and normalised parameter values in parameter-index order.
#pragma once

#include <cstdint>

#include "engine/ParameterIndex.h"

namespace brindlet {

struct FactoryPreset {
    const char* name;
    float values[kNumParams];
};

constexpr int32_t kNumFactoryPresets = 8;

extern const FactoryPreset kFactoryPresetTable[kNumFactoryPresets];

}  // namespace brindlet
