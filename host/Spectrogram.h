// Short-time magnitude spectra of a signal, in decibels, one column per requested time step.
#pragma once

#include <cstddef>
#include <vector>

namespace brindlet {

struct Spectrogram {
    int fftSize = 0;
    int columns = 0;
    int bins = 0;                 // fftSize / 2 + 1
    std::vector<float> decibels;  // columns x bins, column-major
    float maxDecibels = -200.0f;

    float at(int column, int bin) const {
        return decibels[static_cast<std::size_t>(column) * static_cast<std::size_t>(bins) +
                        static_cast<std::size_t>(bin)];
    }
};

// Hann-windowed spectra centred on `columns` evenly spaced instants across the signal.
Spectrogram computeSpectrogram(const std::vector<float>& signal, int columns, int fftSize = 2048);

}  // namespace brindlet
