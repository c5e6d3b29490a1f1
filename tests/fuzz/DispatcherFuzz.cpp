// Fuzz target: the dispatcher driven by a stream of opcodes, indices, values and bounded buffers,
// editor opcodes included, mixed with parameter calls and short blocks of audio.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tests/fuzz/FuzzEffect.h"
#include "tests/fuzz/FuzzInput.h"

using namespace brindlet;
using namespace brindlet::fuzz;

namespace {

constexpr size_t kBufferSize = 1024;
constexpr int32_t kMaxFrames = 512;

// Texts, records and the program chunk all go into buffers this size, which is far more than any
// answer needs; the last byte stays zero so that texts read from it end.
struct Buffers {
    alignas(16) char main[kBufferSize];
    alignas(16) char extra[kBufferSize];
    VstEvents events;
    VstMidiEvent midi[2];
};

void fillEvents(FuzzInput& in, Buffers& b) {
    b.events.numEvents = in.byte() % 3;
    b.events.reserved = 0;
    for (int i = 0; i < 2; ++i) {
        VstMidiEvent& m = b.midi[i];
        std::memset(&m, 0, sizeof m);
        m.type = in.byte() % 8 == 0 ? static_cast<int32_t>(in.byte()) : kVstMidiType;
        m.byteSize = sizeof m;
        m.deltaFrames = in.int32();
        for (char& c : m.midiData) c = static_cast<char>(in.byte());
        b.events.events[i] = in.byte() % 16 == 0 ? nullptr : reinterpret_cast<VstEvent*>(&m);
    }
}

void processBlock(AEffect* e, FuzzInput& in, bool replacing, OutputCheck& check) {
    static float channels[4][kMaxFrames];
    const int32_t frames = in.byte() * 2 % (kMaxFrames + 1);
    const float level = in.value();
    check.input(level);
    for (int c = 0; c < 2; ++c) std::fill(channels[c], channels[c] + frames, level);
    float* inputs[2] = {channels[0], channels[1]};
    float* outputs[2] = {channels[2], channels[3]};
    if (replacing) {
        e->processReplacing(e, inputs, outputs, frames);
    } else {
        std::fill(channels[2], channels[2] + frames, 0.0f);
        std::fill(channels[3], channels[3] + frames, 0.0f);
        e->process(e, inputs, outputs, frames);
    }
    for (int c = 2; c < 4; ++c) {
        for (int32_t i = 0; i < frames; ++i) {
            if (!check.accepts(channels[c][i])) std::abort();
        }
    }
}

void dispatchOne(AEffect* e, FuzzInput& in, Buffers& b) {
    const int32_t opcode = static_cast<int32_t>(in.byte()) - 8;  // a few below 0 and past the end
    const int32_t index = in.byte() % 4 == 0 ? in.int32() : static_cast<int32_t>(in.byte()) - 4;
    intptr_t value = in.byte() % 4 == 0 ? in.int32() : static_cast<intptr_t>(in.byte()) - 4;
    const float opt = in.value();
    std::memset(b.main, 0, sizeof b.main);
    in.text(b.main, kBufferSize);
    void* ptr = in.byte() % 8 == 0 ? nullptr : b.main;
    switch (opcode) {
        case effClose:
            return;  // the instance ends with the input
        case effEditOpen:
            ptr = in.byte() % 4 == 0 ? nullptr : fakeParentWindow();
            break;
        case effProcessEvents:
            fillEvents(in, b);
            ptr = in.byte() % 8 == 0 ? nullptr : &b.events;
            break;
        case effSetChunk:
            value = std::abs(value) % static_cast<intptr_t>(kBufferSize);
            break;
        case effGetSpeakerArrangement:
        case effSetSpeakerArrangement:
            value = reinterpret_cast<intptr_t>(b.extra);
            break;
        default:
            break;
    }
    dispatch(e, opcode, index, value, ptr, opt);
    b.main[kBufferSize - 1] = '\0';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AEffect* e = createEffect(quietHost);
    if (!e) return 0;
    static Buffers buffers;
    FuzzInput in(data, size);
    OutputCheck check;
    for (int step = 0; step < 256 && !in.empty(); ++step) {
        switch (in.byte() % 6) {
            case 0:
                e->setParameter(e, static_cast<int32_t>(in.byte()) - 4, in.value());
                break;
            case 1:
                (void)e->getParameter(e, static_cast<int32_t>(in.byte()) - 4);
                break;
            case 2:
                processBlock(e, in, in.byte() & 1, check);
                break;
            default:
                dispatchOne(e, in, buffers);
        }
    }
    dispatch(e, effEditClose);
    dispatch(e, effClose);
    return 0;
}
