// Sizing of the take and its voices for a sample rate.
#include "engine/TakeVoices.h"

namespace brindlet {

void TakeVoices::setSampleRate(float sampleRate, float slewStep, StereoSample* buffer) {
    buffer_ = buffer;
    historyLength_ = static_cast<uint32_t>(nearestEven(sampleRate + sampleRate));
    lastIndex_ = static_cast<float>(historyLength_ - 1);
    fadeLength_ = static_cast<uint32_t>(nearestEven(sampleRate * 0.1f));
    fadeStart_ = historyLength_ - fadeLength_;
    fadeStep_ = 1.0f / static_cast<float>(fadeLength_);
    slewStep_ = slewStep;
    rampStep_ = slewStep * 0.1f;
    // A crossfade in flight would never end: its count is reached only below the new end.
    crossfading_ = false;
    posA_ = static_cast<float>(historyLength_);
    writePos_ = historyLength_;
    tailWritePos_ = historyLength_;
}

}  // namespace brindlet
