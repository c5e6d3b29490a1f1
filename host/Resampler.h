// Streaming sample-rate conversion of interleaved float audio through libsoxr.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brindlet {

class Resampler {
public:
    Resampler() = default;
    ~Resampler();
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    // Whether this build has a resampler at all.
    static bool available();

    bool open(double inputRate, double outputRate, int32_t channels, std::string& error);
    // Converts `frames` interleaved frames, appending what is ready to `out`.
    void feed(const float* in, int64_t frames, std::vector<float>& out);
    // Appends what the filter still holds once the input has ended.
    void finish(std::vector<float>& out);

private:
    void run(const float* in, size_t frames, std::vector<float>& out);

    void* soxr_ = nullptr;
    int32_t channels_ = 0;
    double ratio_ = 1.0;
};

}  // namespace brindlet
