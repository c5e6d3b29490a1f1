// The effect engine: parameters, onset trigger, pitch sweep, take buffer and voices, processing.
#pragma once

#include <cstdint>

#include "engine/EngineHost.h"
#include "engine/ParameterIndex.h"

namespace brindlet {

class Engine {
public:
    // Leaves every engine field at its constructor default and builds the note ratio table.
    explicit Engine(EngineHost* host);
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // --- Parameters (any thread) ---
    // Applies index 0..13 to the engine fields; other indices change nothing. Sends the
    // editor (13, 0.0) itself when setting Pitch/ Start turns Slope Off off.
    void setParameter(int32_t index, float value);
    float getParameter(int32_t index) const;
    // Each writes at most kMaxTextBytes bytes (terminator included); false when nothing written.
    bool parameterName(int32_t index, char* text) const;
    bool parameterDisplay(int32_t index, char* text) const;
    bool parameterLabel(int32_t index, char* text) const;
    // Resets the engine fields to the constructor defaults (feedbackRaw keeps its value).
    void resetToDefaults();

    // --- MIDI (any thread) ---
    // One MIDI message; note-ons 0..60 automate Pitch/ End through the host and start a take.
    void midiMessage(uint8_t status, uint8_t data1, uint8_t data2);

    // --- Audio (audio thread) ---
    // Sizes the take buffers for the rate; ends with nothing host-related (the shell asks for MIDI).
    void mainsOn(float sampleRate);
    void process(const float* const* inputs, float* const* outputs, int32_t sampleFrames);
    void processReplacing(const float* const* inputs, float* const* outputs, int32_t sampleFrames);

private:
    struct State;
    State* state_;
};

}  // namespace brindlet
