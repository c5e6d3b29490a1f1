// The fourteen parameters: engine values, mappings, texts, and the cells setParameter shares.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/EngineHost.h"
#include "engine/ParameterIndex.h"
#include "engine/RelaxedAtomic.h"

namespace brindlet {

// What the audio thread reads of the parameters, loaded once per block.
struct ParameterSnapshot {
    float pitchStart;
    float pitchEnd;
    float pitchDecay;
    float pitchShape;
    float envModDepth;
    float envAttackCoeff;
    float gateLevel;
    float feedbackAmount;
    TriggerMode trigMode;
    float trigLevel;
    float trigSelectivity;
    int32_t xfadeSamples;
    float mix;
};

class EngineParameters {
    static_assert(std::atomic<bool>::is_always_lock_free);

public:
    EngineParameters();
    EngineParameters(const EngineParameters&) = delete;
    EngineParameters& operator=(const EngineParameters&) = delete;

    // Any thread. Index 0..13 with a finite value; anything else changes nothing. Turning Slope
    // Off off through Pitch/ Start tells the editor (13, 0.0) through `host` when one exists.
    void set(int32_t index, float value, EngineHost* host);
    float get(int32_t index) const;
    bool name(int32_t index, char* text) const;
    bool display(int32_t index, char* text) const;
    bool label(int32_t index, char* text) const;
    // Every field to its default except feedbackRaw.
    void resetToDefaults();

    ParameterSnapshot snapshot() const;

    // Feedback gain to reach; also written by the audio thread at take starts and fires.
    RelaxedAtomic<float>& feedbackTarget() { return feedbackTarget_; }
    // Pitch/ End as it was when Normal mode was selected, for the audio thread to move the sweep
    // to if an onset is pending; NaN when no such request is waiting. Reading clears it.
    float takeNormalResync();
    // Whether Pitch/ End was set since the last call; reading clears it. A true result also makes
    // the Pitch/ End stored with it visible to a snapshot taken afterwards.
    bool takeEndChanged() {
        // A plain load first: the locked exchange costs the audio thread more than the rest of
        // a block's set-up, and is needed only when something changed.
        return endChanged_.load(std::memory_order_relaxed) &&
               endChanged_.exchange(false, std::memory_order_acquire);
    }

private:
    void setPitchDecay(float v);
    void setFeedback(float v);
    void setTrigMode(float v);
    void setXFade(float v);

    RelaxedAtomic<float> pitchStart_;
    RelaxedAtomic<float> pitchEnd_;
    RelaxedAtomic<float> pitchDecay_;
    RelaxedAtomic<float> pitchShape_;
    RelaxedAtomic<float> envModDepth_;
    RelaxedAtomic<float> envAttack_;
    RelaxedAtomic<float> envAttackCoeff_;
    RelaxedAtomic<float> gateLevel_;
    RelaxedAtomic<float> feedbackRaw_{0.5f};  // 0.5 maps to the default gain 0 until first set
    RelaxedAtomic<float> feedbackAmount_;
    RelaxedAtomic<float> trigModeRaw_;
    RelaxedAtomic<TriggerMode> trigMode_;
    RelaxedAtomic<float> trigLevel_;
    RelaxedAtomic<float> trigSelectivity_;
    RelaxedAtomic<int32_t> xfadeSamples_;
    RelaxedAtomic<float> mix_;
    RelaxedAtomic<bool> slopeOff_;
    std::atomic<bool> endChanged_{false};  // released after Pitch/ End is stored
    RelaxedAtomic<float> feedbackTarget_;
    RelaxedAtomic<float> normalResync_;
};

}  // namespace brindlet
