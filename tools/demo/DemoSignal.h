// A deterministic demo signal: a few bars of a synthesized drum loop plus a decaying tone.
#pragma once

#include <cstdint>
#include <vector>

namespace brindlet {

struct StereoSignal {
    std::vector<float> left;
    std::vector<float> right;
};

// The same samples for the same rate on every target.
StereoSignal makeDemoSignal(float sampleRate);

}  // namespace brindlet
