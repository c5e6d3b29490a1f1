// The trigger's rarely taken steps: window steps, rise ends, the idle feed and sizing.
#include "engine/OnsetTrigger.h"

#include "engine/EngineMath.h"

namespace brindlet {

void OnsetTrigger::setSampleRate(float sampleRate) {
    holdLength_ = static_cast<uint32_t>(nearestEven(sampleRate * 0.0125f));
    holdStepScale_ = 1.0f / static_cast<float>(holdLength_);
}

void OnsetTrigger::endRise(const EditorFeed& feed) {
    riseRatio_ = (inputLevel_ - previousLow_) / inputLevel_;
    rising_ = false;
    feed.send(kFeedRise, riseRatio_);
    feed.send(kFeedLevel, smoothLevel_);
}

void OnsetTrigger::stepWindow(const EditorFeed& feed) {
    smoothStep_ = (inputLevel_ - windowPeak_) * holdStepScale_;
    inputLevel_ = windowPeak_;
    previousLow_ = windowPeak_;
    holdCount_ = 0;
    windowPeak_ = 0.0f;
    feed.send(kFeedLevel, smoothLevel_);
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
