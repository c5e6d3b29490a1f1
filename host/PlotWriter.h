// A PNG picture of a render: input and output waveforms over a spectrogram of the output.
#pragma once

#include <string>
#include <vector>

namespace brindlet {

struct PlotMarker {
    double seconds = 0.0;
    std::string label;
};

struct PlotData {
    std::string title;
    float sampleRate = 44100.0f;
    std::vector<std::vector<float>> input;   // planar channels
    std::vector<std::vector<float>> output;  // planar channels
    std::vector<PlotMarker> markers;         // note-on times
};

bool writePlot(const std::string& path, const PlotData& data, std::string& error);

// Frees cairo's and fontconfig's process-wide caches; only when no drawing follows (at exit,
// so leak checkers see a clean process).
void releasePlotResources();

}  // namespace brindlet
