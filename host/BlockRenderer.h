// The host's block loop: file channels in, plug-in channels through, MIDI notes on time.
#pragma once

#include <cstdint>
#include <vector>

#include "host/MidiEventList.h"
#include "host/PluginInstance.h"

namespace brindlet {

struct TimedNote {
    int64_t frame = 0;  // from the start of the render
    uint8_t note = 60;
    uint8_t velocity = 100;  // 0: a note-off
};

struct TimedParameter {
    int64_t frame = 0;  // from the start of the render
    int32_t index = 0;
    float value = 0.0f;
};

class BlockRenderer {
public:
    // The largest channel count on either side that the renderer drives.
    static constexpr int32_t kMaxChannels = 2;

    // `inputChannels` is the file's (1 or 2); a mono file feeds every plug-in input. The
    // plug-in's channel counts must already be checked against kMaxChannels.
    BlockRenderer(PluginInstance& plugin, int32_t inputChannels, int32_t blockSize,
                  std::vector<TimedNote> notes);

    // Parameter changes take effect exactly at their frame: a block is split there.
    void setParameterChanges(std::vector<TimedParameter> changes);

    int32_t outputChannels() const { return outputChannels_; }
    int64_t position() const { return position_; }
    size_t notesSent() const { return nextNote_; }

    // Processes up to blockSize interleaved frames; null input means silence (the tail). The
    // output holds outputChannels() interleaved channels. Allocates nothing.
    void process(const float* input, float* output, int32_t frames);

private:
    void sendNotes(int32_t frames);
    void applyDueParameters();
    void runPlugin(int32_t offset, int32_t frames);

    PluginInstance& plugin_;
    int32_t inputChannels_;
    int32_t outputChannels_;
    int32_t blockSize_;
    std::vector<TimedNote> notes_;
    size_t nextNote_ = 0;
    std::vector<TimedParameter> changes_;
    size_t nextChange_ = 0;
    int64_t position_ = 0;
    MidiEventList events_;
    // Planar buffers; always kMaxChannels of each so a plug-in that reads past its declared
    // channel count still reads our memory.
    std::vector<float> inputs_;
    std::vector<float> outputs_;
    float* inputPointers_[kMaxChannels] = {};
    float* outputPointers_[kMaxChannels] = {};
};

}  // namespace brindlet
