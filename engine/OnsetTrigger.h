// Onset trigger: stepped peak level, relative-rise detection, take start and sweep fire, gate.
#pragma once

#include <cmath>
#include <cstdint>

#include "engine/EditorFeed.h"
#include "engine/EngineMath.h"
#include "engine/EngineParameters.h"
#include "engine/ParameterIndex.h"

namespace brindlet {

// What one frame of the trigger asks of the sweep, the voices and the feedback path.
struct TriggerEvents {
    bool takeStart = false;  // begin a take and prepare the sweep (before any fire)
    bool fire = false;       // fire the sweep
};

class OnsetTrigger {
public:
    // Hold window from the sample rate; nothing else changes.
    void setSampleRate(float sampleRate);

    // MIDI requests picked up at the start of a block: a note asked for a take, and whether the
    // last note event had velocity 64 or more. Starts a block: the parameters may have changed.
    void setMidi(bool noteTake, bool highVelocity) {
        midiTrigger_ = midiTrigger_ || noteTake;
        midiHighVelocity_ = highVelocity;
        steady_ = false;
    }
    bool midiPending() const { return midiTrigger_; }

    // One frame of input, before feedback is added.
    BRINDLET_FRAME_STEP TriggerEvents processFrame(float left, float right,
                                                   const ParameterSnapshot& p,
                                                   const EditorFeed& feed) {
        followLevel(left, right, p, feed);
        if (holdSteady()) return TriggerEvents{};
        return runTests(p);
    }

    // processFrame in steps, so the frame loop can keep the events' handling off its common
    // path: the level and its modulation first, ...
    BRINDLET_FRAME_STEP void followLevel(float left, float right, const ParameterSnapshot& p,
                                         const EditorFeed& feed) {
        detectLevel(left, right, feed);
        envModValue_ +=
            (envModGate_ * p.envModDepth * smoothLevel_ - envModValue_) * p.envAttackCoeff;
    }

    // ... then, when the tests would change nothing, only the gate's step (true then). The tests
    // see only the level and their own state: after a frame where they changed nothing, and with
    // the level unchanged, they would again change nothing; the gate's condition on the same two
    // holds as well.
    BRINDLET_FRAME_STEP bool holdSteady() {
        if (!steady_) return false;
        if (gateClosing_ && gateGain_ > 0.0f) gateGain_ -= 0.001f;
        return true;
    }

    // ... otherwise the tests themselves.
    BRINDLET_FRAME_STEP TriggerEvents runTests(const ParameterSnapshot& p) {
        TriggerEvents events;
        if (armed_ && inputLevel_ < p.gateLevel && gateGain_ > 0.0f) gateGain_ -= 0.001f;
        const float lowest = levelMin_;
        if (!armed_ || levelMin_ > inputLevel_) levelMin_ = inputLevel_;
        const float rise = inputLevel_ == 0.0f ? 0.0f : (inputLevel_ - lowest) / inputLevel_;
        const bool onset = armed_ && rise > p.trigSelectivity;
        if (onset) onsetPending_ = true;

        if (midiTrigger_ || onset) {
            events.takeStart = true;
            fireNow_ = midiTrigger_ ? midiHighVelocity_ : false;
            midiTrigger_ = false;
            armed_ = false;
            if (p.trigMode == TriggerMode::Mute) {
                envModValue_ = 0.0f;
                smoothLevel_ = 0.0f;
                envModGate_ = 0.0f;
            }
        }
        if (fireNow_ || (onsetPending_ && !armed_ && inputLevel_ >= p.trigLevel)) {
            events.fire = true;
            fireNow_ = false;
            onsetPending_ = false;
            envModGate_ = 1.0f;
        }
        const bool rearm = !armed_ && rise < 0.0f;
        if (rearm) {
            armed_ = true;
            if (onsetPending_) envModGate_ = 0.0f;  // this take never reached Trig/ Level
        }
        steady_ = !events.takeStart && !events.fire && !rearm && levelMin_ == lowest;
        gateClosing_ = armed_ && inputLevel_ < p.gateLevel;
        return events;
    }

    // After the last frame of a block.
    void endBlock(const EditorFeed& feed);

    float envModValue() const { return envModValue_; }
    float envModGate() const { return envModGate_; }
    bool feedEnabled() const { return feedEnabled_; }
    bool onsetPending() const { return onsetPending_; }
    float& gateGain() { return gateGain_; }
    float inputLevel() const { return inputLevel_; }
    float smoothLevel() const { return smoothLevel_; }
    bool armed() const { return armed_; }

private:
    BRINDLET_FRAME_STEP void detectLevel(float left, float right, const EditorFeed& feed) {
        const float absLeft = std::fabs(left);
        const float absRight = std::fabs(right);
        const float peak = absLeft > absRight ? absLeft : absRight;
        if (peak >= inputLevel_) {
            // A flat rise (silence, a held peak) leaves the level and so the tests' state alone.
            if (peak != inputLevel_) steady_ = false;
            inputLevel_ = peak;
            smoothLevel_ = peak;
            holdCount_ = 0;
            smoothStep_ = 0.0f;
            rising_ = true;
            return;
        }
        if (rising_) [[unlikely]]
            endRise(feed);
        if (holdCount_ < holdLength_) [[likely]] {
            smoothLevel_ -= smoothStep_;
            holdCount_ += 1;
            if (peak > windowPeak_) windowPeak_ = peak;
        } else {
            stepWindow(feed);
        }
    }
    BRINDLET_FRAME_STEP void endRise(const EditorFeed& feed) {
        riseRatio_ = (inputLevel_ - previousLow_) / inputLevel_;
        rising_ = false;
        feed.send(kFeedRise, riseRatio_);
        feed.send(kFeedLevel, smoothLevel_);
    }
    BRINDLET_FRAME_STEP void stepWindow(const EditorFeed& feed) {
        smoothStep_ = (inputLevel_ - windowPeak_) * holdStepScale_;
        if (windowPeak_ != inputLevel_) steady_ = false;
        inputLevel_ = windowPeak_;
        previousLow_ = windowPeak_;
        holdCount_ = 0;
        windowPeak_ = 0.0f;
        feed.send(kFeedLevel, smoothLevel_);
    }

    float inputLevel_ = 0.0f;
    uint32_t holdCount_ = 0;
    float windowPeak_ = 0.0f;
    bool rising_ = false;
    float previousLow_ = 0.0f;
    float riseRatio_ = 0.0f;
    float smoothLevel_ = 0.0f;
    float smoothStep_ = 0.0f;
    uint32_t holdLength_ = 551;
    float holdStepScale_ = 1.0f / 551.0f;
    float levelMin_ = 1.0f;
    bool armed_ = true;
    // The last frame's tests changed nothing and the level has not moved since.
    bool steady_ = false;
    bool gateClosing_ = false;  // armed and below Gate Level, as of the last tests
    bool onsetPending_ = false;
    bool fireNow_ = false;
    float envModGate_ = 0.0f;
    float envModValue_ = 0.0f;
    float gateGain_ = 1.0f;
    bool midiTrigger_ = false;
    bool midiHighVelocity_ = false;
    bool feedEnabled_ = true;
};

}  // namespace brindlet
