// BlockRenderer: deinterleave, send due notes, processReplacing, interleave.
#include "host/BlockRenderer.h"

#include <algorithm>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

void BlockRenderer::setParameterChanges(std::vector<TimedParameter> changes) {
    changes_ = std::move(changes);
    std::stable_sort(
        changes_.begin(), changes_.end(),
        [](const TimedParameter& a, const TimedParameter& b) { return a.frame < b.frame; });
    nextChange_ = 0;
}

void BlockRenderer::applyDueParameters() {
    while (nextChange_ < changes_.size() && changes_[nextChange_].frame <= position_) {
        const TimedParameter& change = changes_[nextChange_++];
        plugin_.setParameter(change.index, change.value);
    }
}

void BlockRenderer::sendNotes(int32_t frames) {
    events_.clear();
    while (nextNote_ < notes_.size() && notes_[nextNote_].frame < position_ + frames) {
        const TimedNote& note = notes_[nextNote_++];
        auto delta = static_cast<int32_t>(std::max<int64_t>(note.frame - position_, 0));
        if (note.velocity == 0)
            events_.noteOff(delta, note.note);
        else
            events_.noteOn(delta, note.note, note.velocity);
    }
    if (events_.size() > 0) plugin_.processEvents(events_.get());
}

namespace {

// Stereo is the common case and the copies sit on the render's critical path, so they move
// four frames per step where SSE2 is there (every x86 target we build for).
void splitStereo(const float* in, float* left, float* right, int32_t frames) {
    int32_t i = 0;
#ifdef __SSE2__
    for (; i + 4 <= frames; i += 4) {
        __m128 a = _mm_loadu_ps(in + 2 * i);      // l0 r0 l1 r1
        __m128 b = _mm_loadu_ps(in + 2 * i + 4);  // l2 r2 l3 r3
        _mm_storeu_ps(left + i, _mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0)));
        _mm_storeu_ps(right + i, _mm_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1)));
    }
#endif
    for (; i < frames; ++i) {
        left[i] = in[2 * i];
        right[i] = in[2 * i + 1];
    }
}

void joinStereo(const float* left, const float* right, float* out, int32_t frames) {
    int32_t i = 0;
#ifdef __SSE2__
    for (; i + 4 <= frames; i += 4) {
        __m128 l = _mm_loadu_ps(left + i);
        __m128 r = _mm_loadu_ps(right + i);
        _mm_storeu_ps(out + 2 * i, _mm_unpacklo_ps(l, r));
        _mm_storeu_ps(out + 2 * i + 4, _mm_unpackhi_ps(l, r));
    }
#endif
    for (; i < frames; ++i) {
        out[2 * i] = left[i];
        out[2 * i + 1] = right[i];
    }
}

}  // namespace

void BlockRenderer::process(const float* input, float* output, int32_t frames) {
    frames = std::clamp(frames, 0, blockSize_);
    auto bytes = sizeof(float) * static_cast<size_t>(frames);
    if (input == nullptr) {
        for (float* channel : inputPointers_) std::memset(channel, 0, bytes);
    } else if (inputChannels_ == 2) {
        splitStereo(input, inputPointers_[0], inputPointers_[1], frames);
    } else {
        // Mono feeds every input.
        std::memcpy(inputPointers_[0], input, bytes);
        for (int32_t c = 1; c < kMaxChannels; ++c) std::memcpy(inputPointers_[c], input, bytes);
    }
    int64_t blockStart = position_;
    int32_t done = 0;
    while (done < frames) {
        applyDueParameters();
        int32_t length = frames - done;
        if (nextChange_ < changes_.size())
            length = static_cast<int32_t>(
                std::min<int64_t>(length, changes_[nextChange_].frame - position_));
        runPlugin(done, length);
        done += length;
        position_ += length;
    }
    position_ = blockStart + frames;
    if (outputChannels_ == 2)
        joinStereo(outputPointers_[0], outputPointers_[1], output, frames);
    else
        std::memcpy(output, outputPointers_[0], bytes);
}

void BlockRenderer::runPlugin(int32_t offset, int32_t frames) {
    sendNotes(frames);
    float* inputs[kMaxChannels];
    float* outputs[kMaxChannels];
    for (int32_t c = 0; c < kMaxChannels; ++c) {
        inputs[c] = inputPointers_[c] + offset;
        outputs[c] = outputPointers_[c] + offset;
    }
    // A plug-in that grew its channel counts since the start would reach past our pointers;
    // it gets no audio and the block stays silent.
    const AEffect* effect = plugin_.effect();
    if (effect != nullptr && effect->numInputs <= kMaxChannels &&
        effect->numOutputs <= kMaxChannels)
        plugin_.processReplacing(inputs, outputs, frames, kMaxChannels);
    else
        for (float* channel : outputs)
            std::memset(channel, 0, sizeof(float) * static_cast<size_t>(frames));
}

}  // namespace brindlet
