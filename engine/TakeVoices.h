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

    // One channel of one frame, left (0) before right (1). `nextRate` advances the sweep; it is
    // called once per frame: by voice B on the left channel during a crossfade, otherwise by
    // voice A on the right channel.
    template <int Channel, class NextRate>
    float renderVoice(float x, float gateGain, NextRate&& nextRate, const EditorFeed& feed) {
        float* buffer = buffers_[Channel];
        record(buffer, writePos_, x);
        if (crossfading_) record(buffer, tailWritePos_, x);
        const bool activeA = posA_ < lastIndex_;
        if (!crossfading_ && !activeA) {
            if (idleFeedArmed_ && feed.open()) {
                feed.send(kFeedIdle, 999.0f);
                idleFeedArmed_ = false;
            }
            return 0.0f;
        }
        // During a crossfade voice A plays the previous take, which goes on at tailWritePos.
        const uint32_t headA = crossfading_ ? tailWritePos_ : writePos_;
        const float outA = activeA ? interpolate(buffer, posA_, headA) * gateGain * gainA_ : 0.0f;
        if (Channel == 1) {
            if (!crossfading_) rateA_ = nextRate();
            posA_ += rateA_;
            if (rateA_ < kLowRateThreshold) {
                gainA_ -= rampStep_;
                if (gainA_ < 0.0f) gainA_ = 0.0f;
            } else {
                gainA_ += rampStep_;
                if (gainA_ > 1.0f) gainA_ = 1.0f;
            }
        }
        float out = outA;
        if (crossfading_) {
            if (Channel == 0) {
                rateB_ = nextRate();
                if (rateB_ < kLowRateThreshold) {
                    gainB_ = rateB_ * kLowRateGain;
                } else {
                    gainB_ += slewStep_;
                    if (gainB_ > 1.0f) gainB_ = 1.0f;
                }
            }
            const float outB = interpolate(buffer, posB_, writePos_) * gainB_;
            if (Channel == 1) posB_ += rateB_;
            out = outA + static_cast<float>(writePos_) * xfadeStepLatched_ * (outB - outA);
        }
        idleFeedArmed_ = true;
        return out;
    }

    // After both channels of a frame; ends a crossfade and reopens the gate when it does.
    void endFrame(const ParameterSnapshot& p, float& gateGain) {
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

    void record(float* buffer, uint32_t p, float x) const {
        if (p >= historyLength_) return;
        if (p < fadeStart_) {
            buffer[p] = x;
        } else {
            buffer[p] = x * static_cast<float>(historyLength_ - p) * fadeStep_;
        }
    }

    float interpolate(const float* buffer, float t, uint32_t head) const {
        return interpolateTake(buffer, t, lastIndex_, writePos_, head);
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
