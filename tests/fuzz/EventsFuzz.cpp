// Fuzz target: effProcessEvents with event lists of any shape (counts, types, sizes, times, null
// entries, running status bytes), each list followed by a block of audio.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tests/fuzz/FuzzEffect.h"
#include "tests/fuzz/FuzzInput.h"

using namespace brindlet;
using namespace brindlet::fuzz;

namespace {
constexpr int32_t kMaxEvents = 64;
constexpr int32_t kFrames = 64;
constexpr int32_t kMaxLists = 32;

struct EventList {
    int32_t numEvents;
    intptr_t reserved;
    VstEvent* events[kMaxEvents];
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    skipEditorArtwork();
    AEffect* e = createEffect(quietHost);
    if (!e) return 0;
    FuzzInput in(data, size);
    // Events do not depend on the rate, but clearing a 2 s take does: 8 kHz takes one sixth of
    // the time of 44.1 kHz, which inputs whose size is a multiple of eight still get.
    dispatch(e, effSetSampleRate, 0, 0, nullptr, size % 8 == 0 ? 44100.0f : 8000.0f);
    if (in.byte() & 1) dispatch(e, effMainsChanged, 0, 1);
    static VstMidiEvent storage[kMaxEvents];
    static float channels[2][kFrames];
    OutputCheck check;
    // A bound on the lists keeps long inputs from slowing the search down.
    for (int32_t lists = 0; lists < kMaxLists && !in.empty(); ++lists) {
        EventList list{};
        const int32_t count = in.byte() % (kMaxEvents + 1);
        // A count larger than the entries given is a host bug the plug-in cannot see; the list
        // always holds as many entries as it claims.
        list.numEvents = count;
        for (int32_t i = 0; i < count; ++i) {
            VstMidiEvent& m = storage[i];
            std::memset(&m, 0, sizeof m);
            const uint8_t kind = in.byte();
            m.type = kind % 8 == 0 ? in.int32() : (kind % 8 == 1 ? kVstSysExType : kVstMidiType);
            m.byteSize = kind % 16 == 2 ? in.int32() : static_cast<int32_t>(sizeof m);
            m.deltaFrames = kind % 4 == 3 ? in.int32() : in.byte() % kFrames;
            for (char& c : m.midiData) c = static_cast<char>(in.byte());
            list.events[i] = kind % 32 == 5 ? nullptr : reinterpret_cast<VstEvent*>(&m);
        }
        dispatch(e, effProcessEvents, 0, 0, &list, 0.0f);
        const float level = in.value();
        check.input(level);
        for (int c = 0; c < 2; ++c) std::fill(channels[c], channels[c] + kFrames, level);
        float* inputs[2] = {channels[0], channels[1]};
        processChecked(e, inputs, kFrames, true, check);
    }
    dispatch(e, effClose);
    return 0;
}
