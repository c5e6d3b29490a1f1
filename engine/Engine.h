// The effect engine: parameters, onset trigger, pitch sweep, take buffer and voices, processing.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/EngineHost.h"
#include "engine/EngineParameters.h"
#include "engine/OnsetTrigger.h"
#include "engine/ParameterIndex.h"
#include "engine/PitchSweep.h"
#include "engine/RelaxedAtomic.h"
#include "engine/TakeBuffer.h"
#include "engine/TakeVoices.h"

namespace brindlet {

class Engine {
    static_assert(std::atomic<bool>::is_always_lock_free);

public:
    // Leaves every engine field at its constructor default and builds the note ratio table.
    // `host` may be null: then no feeds are sent and MIDI notes set Pitch/ End directly.
    explicit Engine(EngineHost* host);
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // --- Parameters (any thread) ---
    // Applies index 0..13 to the engine fields; other indices and non-finite values change
    // nothing. Sends the editor (13, 0.0) itself when setting Pitch/ Start turns Slope Off off.
    void setParameter(int32_t index, float value);
    float getParameter(int32_t index) const;
    // Each writes at most kMaxTextBytes bytes (terminator included); false when nothing written.
    bool parameterName(int32_t index, char* text) const;
    bool parameterDisplay(int32_t index, char* text) const;
    bool parameterLabel(int32_t index, char* text) const;
    // Resets the engine fields to the constructor defaults (feedbackRaw keeps its value).
    // Not while a process call runs; the sizing of an earlier mainsOn is kept.
    void resetToDefaults();

    // --- MIDI (any thread) ---
    // One MIDI message; note-ons 0..60 automate Pitch/ End through the host and start a take.
    void midiMessage(uint8_t status, uint8_t data1, uint8_t data2);

    // --- Audio (audio thread) ---
    // Sizes the take buffers for the rate; ends with nothing host-related (the shell asks for
    // MIDI). Rates outside kMinSampleRate..kMaxSampleRate (or not a number) are ignored. Until a
    // sizing succeeds the process calls output only the dry share of the input.
    void mainsOn(float sampleRate);
    void process(const float* const* inputs, float* const* outputs, int32_t sampleFrames);
    void processReplacing(const float* const* inputs, float* const* outputs, int32_t sampleFrames);

    static constexpr float kMinSampleRate = 1000.0f;
    static constexpr float kMaxSampleRate = 1000000.0f;

private:
    template <bool Adding>
    void run(const float* const* inputs, float* const* outputs, int32_t frames);
    template <bool Adding>
    void runFrames(const float* const* inputs, float* const* outputs, int32_t frames,
                   const EditorFeed& feed);
    // The frame loop, inlined into one copy per frame path.
    template <bool Adding>
    void frameLoop(const float* const* inputs, float* const* outputs, int32_t frames,
                   const EditorFeed& feed);
    template <bool Adding>
    void runFramesV3(const float* const* inputs, float* const* outputs, int32_t frames,
                     const EditorFeed& feed);
    template <bool Adding>
    void runFramesV4(const float* const* inputs, float* const* outputs, int32_t frames,
                     const EditorFeed& feed);
    template <bool Adding>
    void runDry(const float* const* inputs, float* const* outputs, int32_t frames, float mix);
    void sizeFor(float sampleRate);

    EngineHost* host_;
    EngineParameters params_;
    std::atomic<bool> midiTrigger_{false};  // released after the note's Pitch/ End is set
    RelaxedAtomic<bool> midiHighVelocity_;
    double noteRatioTable_[128];

    // Audio-thread state.
    OnsetTrigger trigger_;
    PitchSweep sweep_;
    TakeVoices voices_;
    TakeBuffer buffer_;
    float feedbackSmoothed_ = 0.0f;
    float mixSmoothed_ = 1.0f;
    // The voices' last output, flushed and shaped only where it is fed back.
    float lastOutLeft_ = 0.0f;
    float lastOutRight_ = 0.0f;
    float storedSampleRate_ = 0.0f;
    // Pitch/ End was set since the last take start; taken over at block starts, so that it
    // always goes with the Pitch/ End of the block's snapshot.
    bool endChangedPending_ = false;
};

}  // namespace brindlet
