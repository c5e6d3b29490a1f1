// Render throughput of the host's block loop against a bare processReplacing loop, same plug-in.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "host/BlockRenderer.h"
#include "host/PluginLocator.h"
#include "tools/demo/DemoSignal.h"

namespace brindlet {
namespace {

constexpr int32_t kBlock = 256;
constexpr float kRate = 44100.0f;

std::string pluginPath() {
    if (const char* path = std::getenv("BENCH_PLUGIN")) return path;
#ifdef BENCH_PLUGIN
    return BENCH_PLUGIN;
#else
    return locateDefaultPlugin();
#endif
}

struct Fixture {
    std::shared_ptr<PluginModule> module;
    PluginHost host;
    std::unique_ptr<PluginInstance> plugin;
    StereoSignal signal = makeDemoSignal(kRate);

    explicit Fixture(benchmark::State& state) {
        std::string error;
        module = PluginModule::load(pluginPath(), error);
        if (module) plugin = PluginInstance::create(module, host, error);
        if (!plugin || signal.left.empty()) {
            state.SkipWithError(plugin ? "demo signal is empty" : error.c_str());
            return;
        }
        plugin->start(kRate, kBlock);
    }
    int64_t frames() const { return static_cast<int64_t>(signal.left.size()); }
};

// What a minimal in-process host does: planar buffers straight into processReplacing, and
// the same note as the host loop sends.
void BM_DirectLoop(benchmark::State& state) {
    Fixture f(state);
    if (!f.plugin) return;
    std::vector<float> outL(f.signal.left.size()), outR(f.signal.right.size());
    AEffect* effect = f.plugin->effect();
    MidiEventList note;
    int64_t noteBlock = f.frames() / 2 / kBlock * kBlock;
    note.noteOn(static_cast<int32_t>(f.frames() / 2 - noteBlock), 48, 100);
    for (auto _ : state) {
        for (int64_t at = 0; at + kBlock <= f.frames(); at += kBlock) {
            if (at == noteBlock) effect->dispatcher(effect, effProcessEvents, 0, 0, note.get(), 0);
            float* ins[] = {f.signal.left.data() + at, f.signal.right.data() + at};
            float* outs[] = {outL.data() + at, outR.data() + at};
            effect->processReplacing(effect, ins, outs, kBlock);
        }
        benchmark::DoNotOptimize(outL.data());
    }
    state.SetItemsProcessed(state.iterations() * (f.frames() / kBlock * kBlock));
}

// brindlet-render's loop: interleaved file frames in and out through BlockRenderer.
void BM_HostRender(benchmark::State& state) {
    Fixture f(state);
    if (!f.plugin) return;
    std::vector<float> in(static_cast<size_t>(f.frames() * 2));
    for (int64_t i = 0; i < f.frames(); ++i) {
        in[static_cast<size_t>(2 * i)] = f.signal.left[static_cast<size_t>(i)];
        in[static_cast<size_t>(2 * i + 1)] = f.signal.right[static_cast<size_t>(i)];
    }
    std::vector<float> out(in.size());
    for (auto _ : state) {
        // A note per pass keeps the event path in the measurement.
        BlockRenderer renderer(*f.plugin, 2, kBlock, {{f.frames() / 2, 48, 100}});
        for (int64_t at = 0; at + kBlock <= f.frames(); at += kBlock)
            renderer.process(in.data() + 2 * at, out.data() + 2 * at, kBlock);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * (f.frames() / kBlock * kBlock));
}

double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// One pass of the reference loop. Bare: processReplacing straight on the preloaded planar
// arrays. Buffered: the way a host with its own block buffers feeds a plug-in, each block
// copied into a planar buffer and the result copied out.
void directPass(AEffect* effect, StereoSignal& signal, std::vector<float>& outL,
                std::vector<float>& outR, int64_t frames, bool buffered) {
    static std::vector<float> blockIn(2 * kBlock), blockOut(2 * kBlock);
    for (int64_t at = 0; at < frames; at += kBlock) {
        float* ins[] = {signal.left.data() + at, signal.right.data() + at};
        float* outs[] = {outL.data() + at, outR.data() + at};
        if (!buffered) {
            effect->processReplacing(effect, ins, outs, kBlock);
            continue;
        }
        float* blockIns[] = {blockIn.data(), blockIn.data() + kBlock};
        float* blockOuts[] = {blockOut.data(), blockOut.data() + kBlock};
        for (int c = 0; c < 2; ++c) std::memcpy(blockIns[c], ins[c], sizeof(float) * kBlock);
        effect->processReplacing(effect, blockIns, blockOuts, kBlock);
        for (int c = 0; c < 2; ++c) std::memcpy(outs[c], blockOuts[c], sizeof(float) * kBlock);
    }
}

// Both loops in turn within each iteration, timed by this thread's CPU clock, so a busy machine
// slows both alike; the counter is the host loop's extra time in percent. Argument 0 compares
// with the bare loop, 1 with the buffered one.
void BM_HostOverhead(benchmark::State& state) {
    Fixture direct(state), hosted(state);
    if (!direct.plugin || !hosted.plugin) return;
    bool buffered = state.range(0) != 0;
    std::vector<float> outL(direct.signal.left.size()), outR(outL.size());
    std::vector<float> in(outL.size() * 2), out(in.size());
    for (size_t i = 0; i < outL.size(); ++i) {
        in[2 * i] = direct.signal.left[i];
        in[2 * i + 1] = direct.signal.right[i];
    }
    int64_t frames = direct.frames() / kBlock * kBlock;
    double directSeconds = 0.0, hostSeconds = 0.0;
    for (auto _ : state) {
        double t0 = threadSeconds();
        directPass(direct.plugin->effect(), direct.signal, outL, outR, frames, buffered);
        double t1 = threadSeconds();
        BlockRenderer renderer(*hosted.plugin, 2, kBlock, {});
        for (int64_t at = 0; at < frames; at += kBlock)
            renderer.process(in.data() + 2 * at, out.data() + 2 * at, kBlock);
        double t2 = threadSeconds();
        directSeconds += t1 - t0;
        hostSeconds += t2 - t1;
        benchmark::DoNotOptimize(outL.data());
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["overhead_pct"] = 100.0 * (hostSeconds / directSeconds - 1.0);
    state.SetItemsProcessed(state.iterations() * frames * 2);
}

BENCHMARK(BM_DirectLoop)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_HostRender)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_HostOverhead)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(4.0);

}  // namespace
}  // namespace brindlet

BENCHMARK_MAIN();
