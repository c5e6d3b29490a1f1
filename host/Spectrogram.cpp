// Spectrogram on FFTW's single-precision real transform.
#include "host/Spectrogram.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

namespace brindlet {

namespace {

struct FftwDeleter {
    void operator()(void* p) const { fftwf_free(p); }
};

}  // namespace

Spectrogram computeSpectrogram(const std::vector<float>& signal, int columns, int fftSize) {
    Spectrogram result;
    result.fftSize = fftSize;
    result.columns = std::max(columns, 1);
    result.bins = fftSize / 2 + 1;
    result.decibels.assign(static_cast<size_t>(result.columns) * result.bins, -200.0f);

    std::unique_ptr<float, FftwDeleter> frame(
        static_cast<float*>(fftwf_malloc(sizeof(float) * static_cast<size_t>(fftSize))));
    std::unique_ptr<fftwf_complex, FftwDeleter> spectrum(static_cast<fftwf_complex*>(
        fftwf_malloc(sizeof(fftwf_complex) * static_cast<size_t>(result.bins))));
    fftwf_plan plan = fftwf_plan_dft_r2c_1d(fftSize, frame.get(), spectrum.get(), FFTW_ESTIMATE);

    std::vector<float> window(static_cast<size_t>(fftSize));
    float windowSum = 0.0f;
    for (int i = 0; i < fftSize; ++i) {
        window[static_cast<size_t>(i)] =
            0.5f - 0.5f * std::cos(2.0f * std::numbers::pi_v<float> * i / fftSize);
        windowSum += window[static_cast<size_t>(i)];
    }
    // A full-scale sine reads 0 dB.
    float norm = 2.0f / windowSum;
    auto length = static_cast<int64_t>(signal.size());
    for (int column = 0; column < result.columns; ++column) {
        int64_t centre = length * (2 * column + 1) / (2 * result.columns);
        for (int i = 0; i < fftSize; ++i) {
            int64_t at = centre - fftSize / 2 + i;
            float sample = at >= 0 && at < length ? signal[static_cast<size_t>(at)] : 0.0f;
            // Non-finite samples would poison the whole column.
            frame.get()[i] = std::isfinite(sample) ? sample * window[static_cast<size_t>(i)] : 0.0f;
        }
        fftwf_execute(plan);
        for (int bin = 0; bin < result.bins; ++bin) {
            float re = spectrum.get()[bin][0], im = spectrum.get()[bin][1];
            float magnitude = std::sqrt(re * re + im * im) * norm;
            float db = 20.0f * std::log10(std::max(magnitude, 1e-10f));
            result.decibels[static_cast<size_t>(column) * result.bins + bin] = db;
            result.maxDecibels = std::max(result.maxDecibels, db);
        }
    }
    fftwf_destroy_plan(plan);
    return result;
}

}  // namespace brindlet
