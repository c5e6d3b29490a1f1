// Audio, parameter and program changes, and MIDI from three threads at once through the module.
#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

#include "ModuleTestSupport.h"
#include "engine/ParameterIndex.h"
#include "host/MidiEventList.h"

namespace brindlet::test {
namespace {

using ModuleThreadsTest = ModuleTest;

TEST_F(ModuleThreadsTest, AudioParametersProgramsAndMidiRunConcurrently) {
    plugin->start(44100.0f, 256);
    host.setRecording(false);
    AEffect* record = effect();
    std::atomic<bool> stop{false};
    std::atomic<long> blocks{0};

    std::thread audio([&] {
        StereoBuffer in(256), out(256);
        size_t t = 0;
        while (!stop.load(std::memory_order_relaxed)) {
            for (size_t i = 0; i < 256; ++i, ++t) {
                const float burst = (t % 4410) < 200 ? 0.9f : 0.01f;
                in.left[i] = burst * std::sin(0.03f * static_cast<float>(t));
                in.right[i] = in.left[i];
            }
            record->processReplacing(record, in.channels(), out.channels(), 256);
            blocks.fetch_add(1, std::memory_order_relaxed);
        }
    });
    std::thread parameters([&] {
        uint32_t step = 0;
        while (!stop.load(std::memory_order_relaxed)) {
            ++step;
            const int32_t index = static_cast<int32_t>(step % kNumParams);
            record->setParameter(record, index, static_cast<float>(step % 101) / 100.0f);
            (void)record->getParameter(record, index);
            if (step % 50 == 0) {
                record->dispatcher(record, effSetProgram, 0, step / 50 % 16, nullptr, 0.0f);
            }
        }
    });
    std::thread midi([&] {
        MidiEventList events;
        uint8_t note = 30;
        while (!stop.load(std::memory_order_relaxed)) {
            events.clear();
            events.noteOn(0, note, 100);
            events.noteOff(1, note);
            note = static_cast<uint8_t>(note >= 60 ? 30 : note + 1);
            record->dispatcher(record, effProcessEvents, 0, 0, events.get(), 0.0f);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });

    std::this_thread::sleep_for(std::chrono::seconds(3));
    stop.store(true);
    audio.join();
    parameters.join();
    midi.join();
    EXPECT_GT(blocks.load(), 0);
}

}  // namespace
}  // namespace brindlet::test
