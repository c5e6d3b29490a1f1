// The sweep's sizing and its end-of-block step.
#include "engine/PitchSweep.h"

#include "engine/EngineMath.h"

namespace brindlet {

void PitchSweep::setSampleRate(float sampleRate) {
    slewStep_ = 441.0f / sampleRate;
    negSlewStep_ = -slewStep_;
    sweepLengthScale_ = sampleRate * 2.0f;
    feedCountdown_ = 0;
    feedPeriod_ = static_cast<int32_t>(nearestEven(sampleRate * 0.01f));
}

void PitchSweep::endBlock() {
    // Keeps the exponential part out of the denormal range (and clears a NaN).
    expState_ = flushTiny(expState_);
    if (forceFeed_) feedCountdown_ = 0;  // the next block may send the waiting mark at once
}

}  // namespace brindlet
