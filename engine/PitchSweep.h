// Pitch sweep: the playback rate per frame, from Pitch/ Start to Pitch/ End on a blended curve.
#pragma once

#include <cstdint>

#include "engine/EditorFeed.h"
#include "engine/EngineMath.h"
#include "engine/EngineParameters.h"
#include "engine/ParameterIndex.h"

namespace brindlet {

class PitchSweep {
public:
    // Slew step, length scale and feed period from the sample rate; restarts the feed count.
    void setSampleRate(float sampleRate);
    float slewStep() const { return slewStep_; }
    float negSlewStep() const { return negSlewStep_; }

    // At a take start. `endChanged`: Pitch/ End was set since the previous take start.
    BRINDLET_FRAME_STEP void prepareSweep(TriggerMode mode, const ParameterSnapshot& p,
                                          bool endChanged) {
        latchedDecay_ = p.pitchDecay;
        setShapeWeight(p.pitchShape);
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
        setShapeWeight(1.0f);
        float hold = 0.0f;  // Mute
        if (mode == TriggerMode::NoSlope) hold = latchedStart_;
        if (mode == TriggerMode::Dry) hold = 1.0f;
        sweepValue_ = hold;
        sweepTarget_ = hold;
    }

    // When the trigger fires.
    BRINDLET_FRAME_STEP void fireSweep(const ParameterSnapshot& p) {
        setShapeWeight(p.pitchShape);
        sweepTarget_ = p.pitchEnd;
        sweepValue_ = p.pitchStart;
        sweepDescending_ = p.pitchEnd < latchedStart_;
        const float n = lengthFrames();
        sweepStep_ = sweepSpan_ / n;
        expState_ = 1.0f;
        forceFeed_ = true;
        feedCountdown_ = 0;
        expFactor_ = sweepExpFactor(n);
    }

    // Selecting Normal mode while an onset is pending lets the take run on towards Pitch/ End.
    void resync(float pitchEnd) {
        sweepTarget_ = pitchEnd;
        sweepValue_ = pitchEnd;
    }

    // Once per frame while a voice plays. `feedEnabled` must hold from one endBlock to the next.
    BRINDLET_FRAME_STEP float nextRate(float envModValue, bool feedEnabled,
                                       const EditorFeed& feed) {
        if (sweepDescending_) {
            if (sweepValue_ > sweepTarget_) sweepValue_ -= sweepStep_;
            if (sweepValue_ < sweepTarget_) sweepValue_ = sweepTarget_;
        } else {
            if (sweepValue_ < sweepTarget_) sweepValue_ -= sweepStep_;
            if (sweepValue_ > sweepTarget_) sweepValue_ = sweepTarget_;
        }
        expState_ = expState_ * expFactor_;
        float raw = (expState_ * sweepSpan_ + sweepTarget_) * sweepExpWeight_ +
                    sweepShapeWeight_ * sweepValue_ + envModValue;
        // NaN (only reachable from out-of-range parameters) counts as a standstill.
        if (raw > 1.0f) [[unlikely]] {
            raw = 1.0f;
        } else if (!(raw >= 0.0f)) [[unlikely]] {
            raw = 0.0f;
        }
        rateRaw_ = raw;
        const float d = raw - rate_;
        if (skipSlew_) [[unlikely]] {
            rate_ = raw;
        } else if (d >= slewStep_ || d <= negSlewStep_) {
            rate_ = d > 0.0f ? rate_ + slewStep_ : rate_ - slewStep_;
        } else {
            rate_ = raw;
        }
        skipSlew_ = false;
        if (feedCountdown_ == 0) [[unlikely]] {
            if (feedEnabled && feed.open()) sendFeed(feed);
            // An unsent new-trace mark can go out only in a later block, whose first frame
            // finds the count at 0 again (endBlock); until then it costs a single test per frame.
            feedCountdown_ = forceFeed_ ? kMarkWaits : feedPeriod_ - 1;
        } else {
            feedCountdown_ -= 1;
        }
        return rate_;
    }

    // After the last frame of a block.
    void endBlock();

    float rateRaw() const { return rateRaw_; }
    float rate() const { return rate_; }
    float sweepValue() const { return sweepValue_; }
    float sweepTarget() const { return sweepTarget_; }
    float expState() const { return expState_; }
    float expFactor() const { return expFactor_; }

private:
    // No block runs this many frames: the count never reaches 0 again in it.
    static constexpr int32_t kMarkWaits = INT32_MAX;

    float lengthFrames() const { return sweepLengthScale_ * latchedDecay_; }
    // The exponential part's weight is kept beside the shape's: it changes only with it.
    BRINDLET_FRAME_STEP void setShapeWeight(float weight) {
        sweepShapeWeight_ = weight;
        sweepExpWeight_ = 1.0f - weight;
    }
    void sendFeed(const EditorFeed& feed) {
        if (forceFeed_) {
            feed.send(kFeedSweep, rateRaw_ + 99.0f);  // marks the start of a new trace
            forceFeed_ = false;
        } else {
            feed.send(kFeedSweep, rateRaw_);
        }
    }

    float latchedStart_ = 0.5f;
    float latchedDecay_ = 0.1f;
    float sweepTarget_ = 0.5f;
    float sweepShapeWeight_ = 1.0f;
    float sweepExpWeight_ = 0.0f;  // 1 − sweepShapeWeight_
    // A take that starts without firing runs on from these: hold at the default end pitch.
    float sweepValue_ = 0.5f;
    float sweepStep_ = 0.0f;
    float sweepSpan_ = 0.0f;
    bool sweepDescending_ = false;
    float expState_ = 0.0f;
    float expFactor_ = 0.0f;
    float rateRaw_ = 0.0f;
    float rate_ = 0.0f;
    bool skipSlew_ = true;
    bool forceFeed_ = false;
    // Frames until the next sweep feed, counted down so that a frame without one costs a single
    // test; 0 between blocks while a new-trace mark waits to be sent.
    int32_t feedCountdown_ = 0;
    int32_t feedPeriod_ = 441;
    float slewStep_ = 0.01f;
    float negSlewStep_ = -0.01f;
    float sweepLengthScale_ = 88200.0f;
};

}  // namespace brindlet
