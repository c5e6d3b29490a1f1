// Cost of processReplacing per stereo frame at 44.1 kHz: presets over the demo, silence, and a
// tail that decays into the denormal range (which must cost no more than ordinary audio).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/Engine.h"
#include "engine/FramePath.h"
#include "shell/FactoryPresetTable.h"
#include "tools/demo/DemoSignal.h"

namespace brindlet {
namespace {

constexpr float kRate = 44100.0f;

const StereoSignal& demo() {
    static const StereoSignal signal = makeDemoSignal(kRate);
    return signal;
}

const StereoSignal& silence() {
    static const StereoSignal signal{std::vector<float>(demo().left.size(), 0.0f),
                                     std::vector<float>(demo().left.size(), 0.0f)};
    return signal;
}

// Half a second of the demo, so takes are playing, then the last hit's decay continued far
// below audibility: from 1e-30 down through the denormal range (below 1.2e-38) to 1e-45.
const StereoSignal& denormalTail() {
    static const StereoSignal signal = [] {
        StereoSignal s = demo();
        const std::size_t start = static_cast<std::size_t>(kRate / 2);
        double amp = 1e-30, phase = 0.0;
        const double decay = 0.99994;  // 1e-30 to about 1e-39 over the remaining 7.5 s
        for (std::size_t k = start; k < s.left.size(); ++k) {
            phase += 0.0125;
            if (phase > 1.0) phase -= 1.0;
            const double tri = phase < 0.5 ? 4.0 * phase - 1.0 : 3.0 - 4.0 * phase;
            s.left[k] = static_cast<float>(amp * tri);
            s.right[k] = static_cast<float>(-amp * tri);
            amp *= decay;
        }
        return s;
    }();
    return signal;
}

void runEngine(benchmark::State& state, int preset, const StereoSignal& in) {
    const auto block = static_cast<std::size_t>(state.range(0));
    Engine engine(nullptr);
    for (int32_t i = 0; i < kNumParams; ++i) {
        engine.setParameter(i, kFactoryPresetTable[preset].values[i]);
    }
    engine.mainsOn(kRate);
    std::vector<float> left(block), right(block);
    const std::size_t frames = in.left.size();
    for (auto _ : state) {
        for (std::size_t start = 0; start < frames; start += block) {
            const auto n = static_cast<int32_t>(std::min(block, frames - start));
            const float* i[2] = {in.left.data() + start, in.right.data() + start};
            float* o[2] = {left.data(), right.data()};
            engine.processReplacing(i, o, n);
            benchmark::DoNotOptimize(left.data());
            benchmark::ClobberMemory();
        }
    }
    const double total = static_cast<double>(frames) * static_cast<double>(state.iterations());
    // Printed as time per stereo frame, and as seconds of audio per second (the real-time factor).
    state.counters["per_frame"] =
        benchmark::Counter(total, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["realtime_x"] = benchmark::Counter(total / kRate, benchmark::Counter::kIsRate);
}

void BM_Bass(benchmark::State& state) {
    runEngine(state, 0, demo());
}
void BM_BigDrum(benchmark::State& state) {
    runEngine(state, 1, demo());
}
void BM_BassSilence(benchmark::State& state) {
    runEngine(state, 0, silence());
}
void BM_BassDenormalTail(benchmark::State& state) {
    runEngine(state, 0, denormalTail());
}
void BM_SweepDenormalTail(benchmark::State& state) {
    runEngine(state, 7, denormalTail());
}

// `runEngine` on the compiled copy of the frame loop in state.range(1) (0 portable, 1 x86-64-v3,
// 2 x86-64-v4); the other benchmarks run the copy chosen for this CPU.
void runEngineOnPath(benchmark::State& state, int preset, const StereoSignal& signal) {
    const auto path = static_cast<FramePath>(state.range(1));
    if (!framePathAvailable(path)) {
        state.SkipWithError("this frame path is not available here");
        return;
    }
    const FramePath previous = activeFramePath();
    forceFramePath(path);
    runEngine(state, preset, signal);
    forceFramePath(previous);
}

void BM_BigDrumOnPath(benchmark::State& state) {
    runEngineOnPath(state, 1, demo());
}

// Wider vectors meet denormal operands in other places.
void BM_BassDenormalTailOnPath(benchmark::State& state) {
    runEngineOnPath(state, 0, denormalTail());
}

BENCHMARK(BM_BassDenormalTailOnPath)
    ->ArgsProduct({{256}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BigDrumOnPath)->ArgsProduct({{32, 256}, {0, 1, 2}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Bass)->Arg(32)->Arg(256)->Arg(4096)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BigDrum)->Arg(32)->Arg(256)->Arg(4096)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BassSilence)->Arg(32)->Arg(256)->Arg(4096)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BassDenormalTail)->Arg(32)->Arg(256)->Arg(4096)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SweepDenormalTail)->Arg(256)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brindlet

BENCHMARK_MAIN();
