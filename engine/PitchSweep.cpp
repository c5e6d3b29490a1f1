// The sweep's take-start and fire steps and its sizing.
#include "engine/PitchSweep.h"

#include "engine/EngineMath.h"

namespace brindlet {

void PitchSweep::setSampleRate(float sampleRate) {
    slewStep_ = 441.0f / sampleRate;
    negSlewStep_ = -slewStep_;
    sweepLengthScale_ = sampleRate * 2.0f;
    feedCounter_ = 0;
    feedPeriod_ = static_cast<int32_t>(nearestEven(sampleRate * 0.01f));
}

void PitchSweep::prepareSweep(TriggerMode mode, const ParameterSnapshot& p, bool endChanged) {
    latchedDecay_ = p.pitchDecay;
    sweepShapeWeight_ = p.pitchShape;
    latchedStart_ = p.pitchStart;
    sweepTarget_ = p.pitchEnd;
    sweepSpan_ = latchedStart_ - p.pitchEnd;
    sweepDescending_ = p.pitchEnd < latchedStart_;
    const float n = lengthFrames();
    sweepStep_ = sweepSpan_ / n;
    skipSlew_ = true;
    expFactor_ = sweepExpFactor(n);
    if (mode == TriggerMode::Normal) {
        if (endChanged) sweepValue_ = p.pitchEnd;
        return;
    }
    sweepStep_ = 0.0f;
    sweepShapeWeight_ = 1.0f;
    float hold = 0.0f;  // Mute
    if (mode == TriggerMode::NoSlope) hold = latchedStart_;
    if (mode == TriggerMode::Dry) hold = 1.0f;
    sweepValue_ = hold;
    sweepTarget_ = hold;
}

void PitchSweep::fireSweep(const ParameterSnapshot& p) {
    sweepShapeWeight_ = p.pitchShape;
    sweepTarget_ = p.pitchEnd;
    sweepValue_ = p.pitchStart;
    sweepDescending_ = p.pitchEnd < latchedStart_;
    const float n = lengthFrames();
    sweepStep_ = sweepSpan_ / n;
    expState_ = 1.0f;
    forceFeed_ = true;
    expFactor_ = sweepExpFactor(n);
}

void PitchSweep::endBlock() {
    // Keeps the exponential part out of the denormal range (and clears a NaN).
    expState_ = flushTiny(expState_);
}

}  // namespace brindlet
