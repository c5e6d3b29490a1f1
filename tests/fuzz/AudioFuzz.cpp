// Fuzz target: parameter changes interleaved with processing at random block sizes, sample rates
// and input values (NaN, infinities, denormals, huge); finite input must give bounded output.
#include <cmath>
#include <cstdlib>

#include "tests/fuzz/FuzzEffect.h"
#include "tests/fuzz/FuzzInput.h"

using namespace brindlet;
using namespace brindlet::fuzz;

namespace {
// Clearing a new 2 s take is most of an input's cost at high rates: inputs whose size is a
// multiple of eight choose among all rates, the rest among the low and the invalid ones.
float rateOf(uint8_t b, bool allRates) {
    static const float rates[] = {8000.0f,  11025.0f, 22050.0f, 1.0f,      0.0f,     -44100.0f,
                                  44100.0f, 48000.0f, 96000.0f, 192000.0f, 384000.0f};
    const size_t count = allRates ? sizeof rates / sizeof rates[0] : 6;
    return rates[b % count];
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    skipEditorArtwork();
    AEffect* e = createEffect(quietHost);
    if (!e) return 0;
    FuzzInput in(data, size);
    const bool allRates = size % 8 == 0;
    static float channels[2][kMaxBlock];
    OutputCheck check;
    for (int step = 0; step < 64 && !in.empty(); ++step) {
        switch (in.byte() % 8) {
            case 0:
                dispatch(e, effMainsChanged, 0, 0);
                dispatch(e, effSetSampleRate, 0, 0, nullptr, rateOf(in.byte(), allRates));
                dispatch(e, effMainsChanged, 0, 1);
                break;
            case 1:
                dispatch(e, effSetSampleRate, 0, 0, nullptr, rateOf(in.byte(), allRates));
                break;
            case 2:
                dispatch(e, effSetProgram, 0, in.byte() % 20);
                break;
            case 3:
            case 4: {
                const int32_t index = in.byte() % 16;
                setParameterChecked(e, index, in.value(), check);
                break;
            }
            default: {
                // Long blocks are rarer than short ones: under the sanitizers they are most of
                // an input's time.
                const int32_t frames =
                    in.byte() % 16 == 0 ? (in.int32() & 0x1FFF) : in.byte() % 300;
                const uint8_t pattern = in.byte();
                const float level = in.value();
                check.input(level);
                fillInput(channels, frames, level, pattern & 1);
                float* inputs[2] = {channels[0], channels[1]};
                processChecked(e, inputs, frames, !(pattern & 2), check);
            }
        }
    }
    dispatch(e, effClose);
    return 0;
}
