// Draws a preset render for a person to check: waveforms, the sweep rate and spectrograms.
#pragma once

#include <string>
#include <vector>

#include "tools/demo/DemoSignal.h"

namespace brindlet {

// One sweep-rate report of the engine: the frame it came in and its value (a trace start + 99).
struct RatePoint {
    std::size_t frame;
    float value;
};

// Writes a PNG with the input and output (left channel) waveforms, the sweep rate with take
// starts marked, and spectrograms of input and output up to `maxHz`. False if it could not.
bool writeRenderPlot(const std::string& path, const std::string& title, const StereoSignal& input,
                     const StereoSignal& output, const std::vector<RatePoint>& rates,
                     float sampleRate, float maxHz);

}  // namespace brindlet
