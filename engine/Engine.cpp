// The engine's public face and the frame loop that ties trigger, sweep, voices and mix together.
#include "engine/Engine.h"

#include <bit>
#include <cmath>

#include "engine/EngineMath.h"
#include "engine/FramePath.h"
#include "engine/StereoSample.h"

namespace brindlet {

namespace {

constexpr double kSemitoneDown = 0.943874312681693417;  // 2^(-1/12)
constexpr int kHighestSweepNote = 60;

// The sweep's next rate for the voices, with the trigger's modulation. Whether the sweep may
// feed the editor is fixed for a block: the trigger changes its permission only between blocks.
struct SweepRate {
    PitchSweep& sweep;
    const OnsetTrigger& trigger;
    const EditorFeed& feed;
    bool feedOn;
    BRINDLET_FRAME_STEP float operator()() const {
        return sweep.nextRate(trigger.envModValue(), feedOn, feed);
    }
};

bool channelsPresent(const float* const* inputs, float* const* outputs) {
    return inputs != nullptr && outputs != nullptr && inputs[0] != nullptr &&
           inputs[1] != nullptr && outputs[0] != nullptr && outputs[1] != nullptr;
}

template <bool Adding>
inline void emit(float* out, int32_t k, float value) {
    if (Adding) {
        out[k] += value;
    } else {
        out[k] = value;
    }
}

}  // namespace

Engine::Engine(EngineHost* host) : host_(host) {
    for (int note = 127; note >= kHighestSweepNote; --note) noteRatioTable_[note] = 1.0;
    for (int note = kHighestSweepNote - 1; note >= 0; --note) {
        noteRatioTable_[note] = noteRatioTable_[note + 1] * kSemitoneDown;
    }
}

Engine::~Engine() = default;

// ---------------------------------------------------------------- Parameters

void Engine::setParameter(int32_t index, float value) {
    params_.set(index, value, host_);
}
float Engine::getParameter(int32_t index) const {
    return params_.get(index);
}
bool Engine::parameterName(int32_t index, char* text) const {
    return params_.name(index, text);
}
bool Engine::parameterDisplay(int32_t index, char* text) const {
    return params_.display(index, text);
}
bool Engine::parameterLabel(int32_t index, char* text) const {
    return params_.label(index, text);
}

void Engine::resetToDefaults() {
    params_.resetToDefaults();
    midiTrigger_.store(false, std::memory_order_relaxed);
    midiHighVelocity_.store(false);
    trigger_ = OnsetTrigger();
    sweep_ = PitchSweep();
    voices_ = TakeVoices();
    if (buffer_.exists()) sizeFor(storedSampleRate_);
    feedbackSmoothed_ = 0.0f;
    mixSmoothed_ = 1.0f;
    lastOutLeft_ = 0.0f;
    lastOutRight_ = 0.0f;
    endChangedPending_ = false;
}

// ---------------------------------------------------------------- MIDI

void Engine::midiMessage(uint8_t status, uint8_t data1, uint8_t data2) {
    const int kind = status & 0xF0;
    if (kind != 0x90 && kind != 0x80) return;
    const int note = data1 & 0x7F;
    int velocity = data2 & 0x7F;
    midiHighVelocity_.store(velocity >= 64);  // a note off's release velocity counts too
    if (kind == 0x80) velocity = 0;
    if (note > kHighestSweepNote || velocity == 0) return;
    const auto ratio = static_cast<float>(noteRatioTable_[note]);
    if (host_ != nullptr) {
        host_->automateParameter(kPitchEnd, ratio);
    } else {
        setParameter(kPitchEnd, ratio);
    }
    midiTrigger_.store(true, std::memory_order_release);
}

// ---------------------------------------------------------------- Audio

void Engine::mainsOn(float sampleRate) {
    if (!(sampleRate >= kMinSampleRate && sampleRate <= kMaxSampleRate)) return;
    if (sampleRate == storedSampleRate_) return;
    voices_.detach();
    buffer_.release();
    storedSampleRate_ = sampleRate;
    const auto length = static_cast<uint32_t>(nearestEven(sampleRate + sampleRate));
    if (!buffer_.allocate(length)) {
        storedSampleRate_ = 0.0f;  // the next mainsOn tries again
        return;
    }
    sizeFor(sampleRate);
}

void Engine::sizeFor(float sampleRate) {
    trigger_.setSampleRate(sampleRate);
    sweep_.setSampleRate(sampleRate);
    voices_.setSampleRate(sampleRate, sweep_.slewStep(), buffer_.frames());
}

void Engine::process(const float* const* inputs, float* const* outputs, int32_t sampleFrames) {
    run<true>(inputs, outputs, sampleFrames);
}

void Engine::processReplacing(const float* const* inputs, float* const* outputs,
                              int32_t sampleFrames) {
    run<false>(inputs, outputs, sampleFrames);
}

template <bool Adding>
void Engine::run(const float* const* inputs, float* const* outputs, int32_t frames) {
    if (!channelsPresent(inputs, outputs)) return;
    if (!buffer_.exists()) {
        runDry<Adding>(inputs, outputs, frames, params_.snapshot().mix);
        return;
    }
    const EditorFeed feed(host_);
    if (frames > 0) runFrames<Adding>(inputs, outputs, frames, feed);
    sweep_.endBlock();
    trigger_.endBlock(feed);
}

// Before the first successful mainsOn there is no take to play: only the dry share sounds.
template <bool Adding>
void Engine::runDry(const float* const* inputs, float* const* outputs, int32_t frames, float mix) {
    const float dry = 1.0f - mix;
    for (int32_t k = 0; k < frames; ++k) {
        const StereoSample in = finiteOrZero(stereo(inputs[0][k], inputs[1][k]));
        emit<Adding>(outputs[0], k, dry * in[0]);
        emit<Adding>(outputs[1], k, dry * in[1]);
    }
}

template <bool Adding>
void Engine::runFrames(const float* const* inputs, float* const* outputs, int32_t frames,
                       const EditorFeed& feed) {
#if BRINDLET_FRAME_PATHS_X86_64
    switch (activeFramePath()) {
        case FramePath::X86_64_V4:
            return runFramesV4<Adding>(inputs, outputs, frames, feed);
        case FramePath::X86_64_V3:
            return runFramesV3<Adding>(inputs, outputs, frames, feed);
        case FramePath::Portable:
            break;
    }
#endif
    frameLoop<Adding>(inputs, outputs, frames, feed);
}

#if BRINDLET_FRAME_PATHS_X86_64
// The same loop compiled for newer CPUs. Contraction into FMA stays off for the whole build,
// so the extra instructions only change registers and encodings, never a result.
template <bool Adding>
[[gnu::target("arch=x86-64-v3")]] void Engine::runFramesV3(const float* const* inputs,
                                                           float* const* outputs, int32_t frames,
                                                           const EditorFeed& feed) {
    frameLoop<Adding>(inputs, outputs, frames, feed);
}
template <bool Adding>
[[gnu::target("arch=x86-64-v4")]] void Engine::runFramesV4(const float* const* inputs,
                                                           float* const* outputs, int32_t frames,
                                                           const EditorFeed& feed) {
    frameLoop<Adding>(inputs, outputs, frames, feed);
}
#endif

template <bool Adding>
BRINDLET_FRAME_STEP void Engine::frameLoop(const float* const* inputs, float* const* outputs,
                                           int32_t frames, const EditorFeed& blockFeed) {
    // Requests other threads made since the last block take effect on its first frame. They are
    // taken before the snapshot, which then holds at least the Pitch/ End stored with them.
    const bool midiTake = midiTrigger_.load(std::memory_order_relaxed) &&
                          midiTrigger_.exchange(false, std::memory_order_acquire);
    if (params_.takeEndChanged()) endChangedPending_ = true;
    const float resync = params_.takeNormalResync();
    // Local copies keep the state in registers and away from the sample buffers' aliasing; no
    // call may come after them, or the registers are saved and reloaded around it.
    const ParameterSnapshot p = params_.snapshot();
    const EditorFeed feed = blockFeed;
    OnsetTrigger trigger = trigger_;
    PitchSweep sweep = sweep_;
    TakeVoices voices = voices_;
    trigger.setMidi(midiTake, midiHighVelocity_.load());
    bool endChanged = endChangedPending_;
    if (!std::isnan(resync) && trigger.onsetPending()) sweep.resync(resync);
    RelaxedAtomic<float>& targetCell = params_.feedbackTarget();
    const float targetAtStart = targetCell.load();
    float feedbackTarget = targetAtStart;
    float feedbackSmoothed = feedbackSmoothed_;
    float mixSmoothed = mixSmoothed_;
    bool settled = false;
    bool fullMix = sameBits(mixSmoothed, 1.0f);
    StereoSample last = stereo(lastOutLeft_, lastOutRight_);  // before flushing and shaping
    const float slew = sweep.slewStep();
    const float negSlew = sweep.negSlewStep();
    const SweepRate nextRate{sweep, trigger, feed, trigger.feedEnabled() && feed.open()};
    const float* inL = inputs[0];
    const float* inR = inputs[1];
    float* outL = outputs[0];
    float* outR = outputs[1];

    for (int32_t k = 0; k < frames; ++k) {
        const StereoSample in = finiteOrZero(stereo(inL[k], inR[k]));
        trigger.followLevel(in[0], in[1], p, feed);
        // Most frames' tests would change nothing: their events stay off this path.
        if (!trigger.holdSteady()) [[unlikely]] {
            const TriggerEvents events = trigger.runTests(p);
            if (events.takeStart) [[unlikely]] {
                voices.beginTake();
                sweep.prepareSweep(p.trigMode, p, endChanged);
                endChanged = false;
                if (p.trigMode == TriggerMode::Dry) {
                    feedbackTarget = 0.0f;  // a Dry take starts without feedback
                    feedbackSmoothed = 0.0f;
                    settled = false;
                }
            }
            if (events.fire) [[unlikely]] {
                feedbackTarget = p.feedbackAmount;
                sweep.fireSweep(p);
                settled = false;
            }
        }
        if (!settled) {
            feedbackSmoothed = slewTowards(feedbackSmoothed, feedbackTarget, slew, negSlew);
            mixSmoothed = slewTowards(mixSmoothed, p.mix, slew, negSlew);
            // Holding its target's bits, a smoother returns them unchanged until the target moves.
            settled = sameBits(feedbackSmoothed, feedbackTarget) && sameBits(mixSmoothed, p.mix);
            fullMix = sameBits(mixSmoothed, 1.0f);
        }
        // The fed-back output is flushed, so the recursion never decays into denormals, and
        // shaped. With the feedback off (+0, its default) the shaped value would only lend the
        // product its sign: leaving the shaping out takes it off the frame's longest chain.
        // A signed zero added to a sample that is not zero leaves the sample, so then the
        // recording need not wait for the last frame at all.
        StereoSample recorded = in;
        if (!sameBits(feedbackSmoothed, 0.0f)) {
            recorded = feedbackSmoothed * flushAndShapeFeedback(last) + in;
        } else if (anyZero(in)) {
            recorded = zeroTimesFeedback(last) + in;
        }
        last = voices.renderFrame(recorded, trigger.gateGain(), nextRate, feed);
        // At full mix the dry share is 0 · in and the wet one last · 1; computed as such they
        // would cost a microcode assist per frame on a denormal input on some CPUs.
        const StereoSample out =
            fullMix ? zeroTimes(in) + last : (1.0f - mixSmoothed) * in + last * mixSmoothed;
        emit<Adding>(outL, k, out[0]);
        emit<Adding>(outR, k, out[1]);
        voices.endFrame(p, trigger.gateGain());
    }

    trigger_ = trigger;
    sweep_ = sweep;
    voices_ = voices;
    feedbackSmoothed_ = feedbackSmoothed;
    mixSmoothed_ = mixSmoothed;
    endChangedPending_ = endChanged;
    lastOutLeft_ = last[0];
    lastOutRight_ = last[1];
    // A value another thread set during the block is newer than ours and stays.
    if (feedbackTarget != targetAtStart)
        targetCell.replaceIfUnchanged(targetAtStart, feedbackTarget);
}

}  // namespace brindlet
