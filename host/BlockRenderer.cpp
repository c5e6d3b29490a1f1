// BlockRenderer: deinterleave, send due notes, processReplacing, interleave.
#include "host/BlockRenderer.h"

#include <algorithm>
#include <cstring>

namespace brindlet {

BlockRenderer::BlockRenderer(PluginInstance& plugin, int32_t inputChannels, int32_t blockSize,
                             std::vector<TimedNote> notes)
    : plugin_(plugin),
      inputChannels_(inputChannels),
      outputChannels_(
          std::clamp(plugin.effect() ? plugin.effect()->numOutputs : 0, 1, kMaxChannels)),
      blockSize_(blockSize),
      notes_(std::move(notes)),
      events_(notes_.size() + 1),
      inputs_(static_cast<size_t>(kMaxChannels * blockSize)),
      outputs_(static_cast<size_t>(kMaxChannels * blockSize)) {
    std::stable_sort(notes_.begin(), notes_.end(),
                     [](const TimedNote& a, const TimedNote& b) { return a.frame < b.frame; });
    for (int32_t c = 0; c < kMaxChannels; ++c) {
        inputPointers_[c] = inputs_.data() + c * blockSize;
        outputPointers_[c] = outputs_.data() + c * blockSize;
    }
}

void BlockRenderer::sendNotes(int32_t frames) {
    events_.clear();
    while (nextNote_ < notes_.size() && notes_[nextNote_].frame < position_ + frames) {
        const TimedNote& note = notes_[nextNote_++];
        auto delta = static_cast<int32_t>(std::max<int64_t>(note.frame - position_, 0));
        events_.noteOn(delta, note.note, note.velocity);
    }
    if (events_.size() > 0) plugin_.processEvents(events_.get());
}

void BlockRenderer::process(const float* input, float* output, int32_t frames) {
    frames = std::clamp(frames, 0, blockSize_);
    for (int32_t c = 0; c < kMaxChannels; ++c) {
        float* channel = inputPointers_[c];
        int32_t source = std::min(c, inputChannels_ - 1);
        if (input == nullptr) {
            std::memset(channel, 0, sizeof(float) * static_cast<size_t>(frames));
        } else {
            for (int32_t i = 0; i < frames; ++i) channel[i] = input[i * inputChannels_ + source];
        }
    }
    sendNotes(frames);
    plugin_.processReplacing(inputPointers_, outputPointers_, frames);
    for (int32_t c = 0; c < outputChannels_; ++c) {
        const float* channel = outputPointers_[c];
        for (int32_t i = 0; i < frames; ++i) output[i * outputChannels_ + c] = channel[i];
    }
    position_ += frames;
}

}  // namespace brindlet
