// Take recording and the two voices that replay it: interpolation, crossfade, low-rate fades.
#pragma once

#include <cstdint>

#include "engine/EditorFeed.h"
#include "engine/EngineMath.h"
#include "engine/EngineParameters.h"
#include "engine/ParameterIndex.h"
#include "engine/TakeInterpolation.h"

namespace brindlet {

class TakeVoices {
public:
    // Sizes the take for the sample rate on the given cleared buffers: voice A idle, no recording.
    void setSampleRate(float sampleRate, float slewStep, float* left, float* right);
    // Forgets the buffers: nothing may be rendered until the next setSampleRate.
    void detach() { buffers_[0] = buffers_[1] = nullptr; }

    void beginTake() {
        writePos_ = 0;
        posB_ = 0.0f;
        crossfading_ = true;
    }

    // One frame of both channels: records the inputs and returns the voices' output. Both
    // channels read at the same positions, which advance after the frame; `nextRate` advances
    // the sweep once: for voice B during a crossfade, otherwise for voice A. The order of the
    // state changes is that of rendering the left channel and then the right one.
    template <class NextRate>
    BRINDLET_FRAME_STEP void renderFrame(float xLeft, float xRight, float gateGain,
                                         NextRate&& nextRate, const EditorFeed& feed,
                                         float& outLeft, float& outRight) {
        record(writePos_, xLeft, xRight);
        if (crossfading_) record(tailWritePos_, xLeft, xRight);
        const bool activeA = posA_ < lastIndex_;
        if (!crossfading_ && !activeA) {
            if (idleFeedArmed_ && feed.open()) {
                feed.send(kFeedIdle, 999.0f);
                idleFeedArmed_ = false;
            }
            outLeft = outRight = 0.0f;
            return;
        }
        float aLeft = 0.0f, aRight = 0.0f;
        if (activeA) {
            // During a crossfade voice A plays the previous take, which goes on at tailWritePos.
            const uint32_t headA = crossfading_ ? tailWritePos_ : writePos_;
            const TakeReadPoint a = locateRead(posA_, lastIndex_, writePos_, headA);
            aLeft = readTake(buffers_[0], a) * gateGain * gainA_;
            aRight = readTake(buffers_[1], a) * gateGain * gainA_;
        }
        outLeft = aLeft;
        outRight = aRight;
        if (crossfading_) {
            rateB_ = nextRate();
            if (rateB_ < kLowRateThreshold) {
                gainB_ = rateB_ * kLowRateGain;
            } else {
                gainB_ += slewStep_;
                if (gainB_ > 1.0f) gainB_ = 1.0f;
            }
            const TakeReadPoint b = locateRead(posB_, lastIndex_, writePos_, writePos_);
            const float bLeft = readTake(buffers_[0], b) * gainB_;
            const float bRight = readTake(buffers_[1], b) * gainB_;
            const float weight = static_cast<float>(writePos_) * xfadeStepLatched_;
            outLeft = aLeft + weight * (bLeft - aLeft);
            outRight = aRight + weight * (bRight - aRight);
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
    }

    // After both channels of a frame; ends a crossfade and reopens the gate when it does.
    BRINDLET_FRAME_STEP void endFrame(const ParameterSnapshot& p, float& gateGain) {
        if (writePos_ < historyLength_) writePos_ += 1;
        if (crossfading_ && static_cast<uint32_t>(xfadeLatched_) == writePos_) {
            xfadeLatched_ = p.xfadeSamples;
            tailWritePos_ = writePos_;
            crossfading_ = false;
            xfadeStepLatched_ = p.xfadeStep;
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
    const float* buffer(int channel) const { return buffers_[channel]; }

private:
    static constexpr float kLowRateThreshold = 0.01f;
    static constexpr float kLowRateGain = 100.0f;

    BRINDLET_FRAME_STEP void record(uint32_t p, float xLeft, float xRight) const {
        if (p >= historyLength_) return;
        if (p < fadeStart_) {
            buffers_[0][p] = xLeft;
            buffers_[1][p] = xRight;
        } else {
            const auto left = static_cast<float>(historyLength_ - p);
            buffers_[0][p] = xLeft * left * fadeStep_;
            buffers_[1][p] = xRight * left * fadeStep_;
        }
    }

    float* buffers_[2] = {nullptr, nullptr};
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
