// Brindlet's plug-in record against third-party VST 2.x delays, called the way a host calls
// them, in the same run: processReplacing per stereo frame at 44.1 kHz over the demo input.
// A peer that is not installed is skipped; the ratio printed is ours over the peer's, both
// timed by this thread's CPU clock within the same iterations.
#include <benchmark/benchmark.h>

#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "host/PluginInstance.h"
#include "host/PluginModule.h"
#include "tools/demo/DemoSignal.h"

namespace brindlet {
namespace {

constexpr float kRate = 44100.0f;
constexpr int32_t kBigDrum = 1;

// The closest open-source peers: modulated delays with interpolated reads.
const char* const kPeers[] = {
    "/usr/lib/vst/lsp-plugins/art-delay-stereo.so",
    "/usr/lib/vst/lsp-plugins/comp-delay-stereo.so",
};

const StereoSignal& demo() {
    static const StereoSignal signal = makeDemoSignal(kRate);
    return signal;
}

double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// One loaded plug-in, switched on for the block size, with its own output buffers.
struct Loaded {
    std::shared_ptr<PluginModule> module;
    std::unique_ptr<PluginInstance> plugin;
    std::vector<float> left, right;

    Loaded(const std::string& path, PluginHost& host, int32_t block, int32_t program) {
        std::string error;
        module = PluginModule::load(path, error);
        if (module) plugin = PluginInstance::create(module, host, error);
        if (!plugin) return;
        plugin->start(kRate, block);
        if (program >= 0) plugin->setProgram(program);
        left.assign(demo().left.size(), 0.0f);
        right.assign(demo().right.size(), 0.0f);
    }

    // The whole demo in blocks; returns the thread CPU seconds it took.
    double pass(int32_t block) {
        AEffect* effect = plugin->effect();
        StereoSignal& in = const_cast<StereoSignal&>(demo());
        const auto frames = static_cast<int64_t>(in.left.size()) / block * block;
        const double start = threadSeconds();
        for (int64_t at = 0; at < frames; at += block) {
            float* ins[] = {in.left.data() + at, in.right.data() + at};
            float* outs[] = {left.data() + at, right.data() + at};
            effect->processReplacing(effect, ins, outs, block);
        }
        benchmark::DoNotOptimize(left.data());
        return threadSeconds() - start;
    }
};

// Argument 0: the block size; argument 1: the peer's index in kPeers.
void BM_PeerRatio(benchmark::State& state) {
    const auto block = static_cast<int32_t>(state.range(0));
    const char* peerPath = kPeers[state.range(1)];
    PluginHost host;
    Loaded ours(BENCH_PLUGIN, host, block, kBigDrum);
    Loaded peer(peerPath, host, block, -1);
    if (!ours.plugin || !peer.plugin) {
        state.SkipWithError(ours.plugin ? "peer not installed" : "brindlet did not load");
        return;
    }
    double oursSeconds = 0.0, peerSeconds = 0.0;
    for (auto _ : state) {
        oursSeconds += ours.pass(block);
        peerSeconds += peer.pass(block);
    }
    const double frames = static_cast<double>(demo().left.size() / block * block) *
                          static_cast<double>(state.iterations());
    state.counters["brindlet_ns"] = 1e9 * oursSeconds / frames;
    state.counters["peer_ns"] = 1e9 * peerSeconds / frames;
    state.counters["ratio"] = oursSeconds / peerSeconds;
    state.SetLabel(peerPath);
}

BENCHMARK(BM_PeerRatio)
    ->ArgsProduct({{32, 256, 4096}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);

}  // namespace
}  // namespace brindlet
