// Take recording and the two voices that replay it: interpolation, crossfade, low-rate fades.
#pragma once

#include <cstdint>

#include "engine/EditorFeed.h"
#include "engine/EngineMath.h"
#include "engine/EngineParameters.h"
#include "engine/ParameterIndex.h"
#include "engine/StereoSample.h"
#include "engine/TakeInterpolation.h"

namespace brindlet {

class TakeVoices {
public:
    // Sizes the take for the sample rate on the given cleared buffer: no crossfade, voice A
    // idle, no recording until the next take.
    void setSampleRate(float sampleRate, float slewStep, StereoSample* buffer);
    // Forgets the buffer: nothing may be rendered until the next setSampleRate.
    void detach() { buffer_ = nullptr; }

    void beginTake() {
        writePos_ = 0;
        posB_ = 0.0f;
        crossfading_ = true;
    }

    // One frame of both channels: records the input and returns the voices' output. Both
    // channels read at the same positions, which advance after the frame; `nextRate` advances
    // the sweep once: for voice B during a crossfade, otherwise for voice A. The order of the
    // state changes is that of rendering the left channel and then the right one.
    template <class NextRate>
    BRINDLET_FRAME_STEP StereoSample renderFrame(StereoSample x, float gateGain,
                                                 NextRate&& nextRate, const EditorFeed& feed) {
        record(writePos_, x);
        if (crossfading_) record(tailWritePos_, x);
        const bool activeA = posA_ < lastIndex_;
        if (!crossfading_ && !activeA) [[unlikely]] {
            if (idleFeedArmed_ && feed.open()) {
                feed.send(kFeedIdle, 999.0f);
                idleFeedArmed_ = false;
            }
            return StereoSample{0.0f, 0.0f};
        }
        StereoSample a = {0.0f, 0.0f};
        if (activeA) {
            // During a crossfade voice A plays the previous take, which goes on at tailWritePos.
            const uint32_t headA = crossfading_ ? tailWritePos_ : writePos_;
            a = readTake(buffer_, locateRead(posA_, lastIndex_, writePos_, headA));
            // Gains of exactly 1 (an open gate, a finished ramp) leave the read: the two
            // multiplications would only lengthen the frame's longest chain.
            if (!(sameBits(gateGain, 1.0f) && sameBits(gainA_, 1.0f))) a = a * gateGain * gainA_;
        }
        StereoSample out = a;
        if (crossfading_) [[unlikely]] {
            rateB_ = nextRate();
            if (rateB_ < kLowRateThreshold) {
                gainB_ = rateB_ * kLowRateGain;
            } else {
                gainB_ += slewStep_;
                if (gainB_ > 1.0f) gainB_ = 1.0f;
            }
            const StereoSample b =
                readTake(buffer_, locateRead(posB_, lastIndex_, writePos_, writePos_)) * gainB_;
            const float weight = static_cast<float>(writePos_) * xfadeStepLatched_;
            out = a + weight * (b - a);
        } else {
            rateA_ = nextRate();
        }
        posA_ += rateA_;
        if (rateA_ < kLowRateThreshold) {
            gainA_ -= rampStep_;
            if (gainA_ < 0.0f) gainA_ = 0.0f;
        } else {
            gainA_ += rampStep_;
            if (gainA_ > 1.0f) gainA_ = 1.0f;
        }
        if (crossfading_) posB_ += rateB_;
        idleFeedArmed_ = true;
        return out;
    }

    // After both channels of a frame; ends a crossfade and reopens the gate when it does.
    BRINDLET_FRAME_STEP void endFrame(const ParameterSnapshot& p, float& gateGain) {
        if (writePos_ < historyLength_) writePos_ += 1;
        if (crossfading_ && static_cast<uint32_t>(xfadeLatched_) == writePos_) {
            xfadeLatched_ = p.xfadeSamples;
            tailWritePos_ = writePos_;
            crossfading_ = false;
            // From the count itself: a step read beside it might belong to another count.
            xfadeStepLatched_ = 1.0f / static_cast<float>(xfadeLatched_);
            posA_ = posB_;
            gainA_ = gainB_;
            gateGain = 1.0f;
        } else if (tailWritePos_ < historyLength_) {
            // Past the end it means "no recording" whatever its value; stopping there keeps it
            // from wrapping round into the buffer after 2^32 frames.
            tailWritePos_ += 1;
        }
    }

    uint32_t historyLength() const { return historyLength_; }
    uint32_t writePos() const { return writePos_; }
    bool crossfading() const { return crossfading_; }
    float posA() const { return posA_; }
    float posB() const { return posB_; }
    float gainA() const { return gainA_; }
    float gainB() const { return gainB_; }
    const StereoSample* buffer() const { return buffer_; }

private:
    static constexpr float kLowRateThreshold = 0.01f;
    static constexpr float kLowRateGain = 100.0f;

    // Most frames record before the fade, which starts inside the take: one test for them.
    BRINDLET_FRAME_STEP void record(uint32_t p, StereoSample x) const {
        if (p < fadeStart_) [[likely]] {
            buffer_[p] = x;
        } else if (p < historyLength_) {
            buffer_[p] = x * static_cast<float>(historyLength_ - p) * fadeStep_;
        }
    }

    StereoSample* buffer_ = nullptr;
    uint32_t historyLength_ = 0;
    float lastIndex_ = -1.0f;  // historyLength − 1
    uint32_t fadeLength_ = 0;
    uint32_t fadeStart_ = 0;
    float fadeStep_ = 0.0f;
    float slewStep_ = 0.01f;
    float rampStep_ = 0.001f;
    uint32_t writePos_ = 0;
    uint32_t tailWritePos_ = 0;
    float posA_ = 0.0f;
    float rateA_ = 1.0f;
    float gainA_ = 1.0f;
    float posB_ = 0.0f;
    float rateB_ = 0.0f;
    float gainB_ = 1.0f;
    bool crossfading_ = false;
    int32_t xfadeLatched_ = 50;
    float xfadeStepLatched_ = 0.02f;
    bool idleFeedArmed_ = false;
};

}  // namespace brindlet
