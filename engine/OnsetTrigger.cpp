// The trigger's sizing and its end-of-block step.
#include "engine/OnsetTrigger.h"

#include "engine/EngineMath.h"

namespace brindlet {

void OnsetTrigger::setSampleRate(float sampleRate) {
    holdLength_ = static_cast<uint32_t>(nearestEven(sampleRate * 0.0125f));
    holdStepScale_ = 1.0f / static_cast<float>(holdLength_);
}

void OnsetTrigger::endBlock(const EditorFeed& feed) {
    // Keeps the level modulation out of the denormal range (and clears a NaN).
    envModValue_ = flushTiny(envModValue_);
    if (inputLevel_ > 0.0f) {
        feedEnabled_ = true;
    } else if (feed.open() && feedEnabled_) {
        feed.send(kFeedIdle, 999.0f);
        feedEnabled_ = false;
    }
}

}  // namespace brindlet
