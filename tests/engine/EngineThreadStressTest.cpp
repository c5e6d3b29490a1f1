// Audio, parameter, program, MIDI and display threads on one engine at once (run under TSan).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <thread>
#include <vector>

#include "engine/Engine.h"
#include "tests/engine/EngineRender.h"
#include "tests/engine/FakeEngineHost.h"

namespace brindlet {
namespace {

uint32_t nextRandom(uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

TEST(EngineThreads, AudioRunsWhileOtherThreadsSetParametersProgramsAndNotes) {
    const StereoSignal in = test::demoSeconds(2.0f);
    test::CountingHost host;
    Engine engine(&host);
    host.engine = &engine;
    engine.mainsOn(44100.0f);
    std::atomic<bool> stop{false};
    long blocks = 0, nonFinite = 0;  // written by the audio thread only, read after the join

    auto audio = [&] {
        constexpr std::size_t kBlock = 256;
        std::vector<float> left(kBlock), right(kBlock);
        for (std::size_t start = 0; !stop.load(); start += kBlock, ++blocks) {
            if (start + kBlock > in.left.size()) start = 0;
            const float* i[2] = {in.left.data() + start, in.right.data() + start};
            float* o[2] = {left.data(), right.data()};
            engine.processReplacing(i, o, kBlock);
            for (std::size_t k = 0; k < kBlock; ++k) {
                nonFinite += !std::isfinite(left[k]) || !std::isfinite(right[k]);
            }
        }
    };
    auto parameters = [&] {
        uint32_t seed = 1;
        for (long n = 0; !stop.load(); ++n) {
            if (n % 64 == 0) {
                test::applyPreset(engine, static_cast<int>(nextRandom(seed) % kNumFactoryPresets));
            } else {
                const auto index = static_cast<int32_t>(nextRandom(seed) % kNumParams);
                engine.setParameter(index, static_cast<float>(nextRandom(seed) % 1001) / 1000.0f);
            }
            if (n % 16 == 0) std::this_thread::yield();
        }
    };
    auto midi = [&] {
        for (uint32_t seed = 2; !stop.load();) {
            const auto note = static_cast<uint8_t>(nextRandom(seed) % 72);
            engine.midiMessage(nextRandom(seed) % 3 ? 0x90 : 0x80, note,
                               static_cast<uint8_t>(nextRandom(seed) % 128));
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    };
    auto display = [&] {
        char text[kMaxTextBytes];
        for (int32_t n = 0; !stop.load(); ++n) {
            (void)engine.getParameter(n % kNumParams);
            engine.parameterDisplay(n % kNumParams, text);
            if (n % 16 == 0) std::this_thread::yield();
        }
    };
    const std::function<void()> bodies[] = {audio, parameters, midi, display};
    std::vector<std::thread> threads(std::begin(bodies), std::end(bodies));
    std::this_thread::sleep_for(std::chrono::seconds(3));
    stop.store(true);
    for (std::thread& t : threads) t.join();

    EXPECT_GT(blocks, 100);
    EXPECT_EQ(nonFinite, 0);
    EXPECT_GT(host.feeds.load(), 0);
    EXPECT_GT(host.automations.load(), 0);
}

}  // namespace
}  // namespace brindlet
