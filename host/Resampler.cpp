// Resampler: libsoxr at its high-quality setting; without libsoxr every open fails with a reason.
#include "host/Resampler.h"

#include <cmath>

#ifdef BRINDLET_HAVE_SOXR
#include <soxr.h>
#endif

namespace brindlet {

Resampler::~Resampler() {
#ifdef BRINDLET_HAVE_SOXR
    if (soxr_ != nullptr) soxr_delete(static_cast<soxr_t>(soxr_));
#endif
}

bool Resampler::available() {
#ifdef BRINDLET_HAVE_SOXR
    return true;
#else
    return false;
#endif
}

bool Resampler::open(double inputRate, double outputRate, int32_t channels, std::string& error) {
#ifdef BRINDLET_HAVE_SOXR
    soxr_error_t failure = nullptr;
    soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    soxr_ = soxr_create(inputRate, outputRate, static_cast<unsigned>(channels), &failure, nullptr,
                        &quality, nullptr);
    if (failure != nullptr) {
        error = std::string("cannot resample: ") + failure;
        soxr_ = nullptr;
        return false;
    }
    channels_ = channels;
    ratio_ = outputRate / inputRate;
    return true;
#else
    (void)inputRate;
    (void)outputRate;
    (void)channels;
    error = "--rate needs libsoxr, which this build was made without";
    return false;
#endif
}

void Resampler::run(const float* in, size_t frames, std::vector<float>& out) {
#ifdef BRINDLET_HAVE_SOXR
    auto soxr = static_cast<soxr_t>(soxr_);
    if (soxr == nullptr) return;
    auto room = static_cast<size_t>(std::ceil(static_cast<double>(frames) * ratio_)) + 1024;
    for (;;) {
        size_t start = out.size();
        out.resize(start + room * static_cast<size_t>(channels_));
        size_t used = 0, made = 0;
        soxr_process(soxr, in, frames, &used, out.data() + start, room, &made);
        out.resize(start + made * static_cast<size_t>(channels_));
        if (in != nullptr) {
            in += used * static_cast<size_t>(channels_);
            frames -= used;
            if (frames == 0) return;
        } else if (made < room) {
            return;  // flushed: the filter had less left than there was room for
        }
    }
#else
    (void)in;
    (void)frames;
    (void)out;
#endif
}

void Resampler::feed(const float* in, int64_t frames, std::vector<float>& out) {
    if (frames > 0) run(in, static_cast<size_t>(frames), out);
}

void Resampler::finish(std::vector<float>& out) {
    run(nullptr, 0, out);
}

}  // namespace brindlet
