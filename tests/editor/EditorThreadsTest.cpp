// Feeds and parameter changes from an audio thread while the window's thread opens, idles,
// clicks and closes the editor over and over; run under ThreadSanitizer.
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "editor/SweepPointQueue.h"
#include "include/vst2/aeffect.h"
#include "shell/PluginEffect.h"
#include "tests/editor/EditorTestSupport.h"

namespace brindlet::test {
namespace {

std::atomic<int32_t> hostRequests{0};

intptr_t VST2_CALL countingHost(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    hostRequests.fetch_add(1, std::memory_order_relaxed);
    return opcode == audioMasterVersion ? 2400 : 0;
}

// The audio thread: the engine's own feeds from processing bursts, plus every feed index and
// parameter index sent directly, as automation playback would. The feeds and parameter changes
// store control values while the window's thread draws them.
void audioThread(AEffect* effect, EditorBase* editor, const std::atomic<bool>& stop,
                 std::atomic<int64_t>& calls) {
    constexpr int32_t kFrames = 256;
    std::vector<float> left(kFrames), right(kFrames), outLeft(kFrames), outRight(kFrames);
    float* inputs[2] = {left.data(), right.data()};
    float* outputs[2] = {outLeft.data(), outRight.data()};
    uint32_t noise = 7;
    for (int64_t block = 0; !stop.load(std::memory_order_relaxed); ++block) {
        const bool loud = block % 30 < 3;
        for (int32_t i = 0; i < kFrames; ++i) {
            noise = noise * 1664525u + 1013904223u;
            left[i] = right[i] = loud ? static_cast<float>(noise >> 9) / 4194304.0f - 1.0f : 0.0f;
        }
        effect->processReplacing(effect, inputs, outputs, kFrames);
        const float v = static_cast<float>(block % 100) / 100.0f;
        editor->setParameter(kFeedRise, v);
        editor->setParameter(kFeedLevel, 1.0f - v);
        editor->setParameter(kFeedSweep, block % 40 == 0 ? v + 99.0f : v);
        if (block % 50 == 0) editor->setParameter(kFeedIdle, 999.0f);
        const int32_t index = static_cast<int32_t>(block % kNumParams);
        if (index != kSlopeOff && index != kTrigMode) effect->setParameter(effect, index, v);
        if (block % 97 == 0) effect->setParameter(effect, kTagEndEntry, 1.0f);
        if (block % 89 == 0) effect->setParameter(effect, kTagEndRatio0 + 2, 1.0f);
        if (block % 193 == 0) effect->setParameter(effect, kTagPreset0 + 4, 0.0f);
        calls.fetch_add(1, std::memory_order_relaxed);
    }
}

TEST(EditorThreadsTest, AudioThreadFeedsWhileTheWindowOpensIdlesAndCloses) {
    headless::reset();
    AEffect* effect = createEffect(countingHost);
    ASSERT_NE(effect, nullptr);
    auto* instance = static_cast<PluginEffect*>(effect->object);
    auto* editor = static_cast<PluginEditor*>(instance->getEditor());
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);

    std::atomic<bool> stop{false};
    std::atomic<int64_t> blocks{0};
    std::thread audio(audioThread, effect, editor, std::cref(stop), std::ref(blocks));

    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    int32_t opens = 0;
    while (std::chrono::steady_clock::now() < end) {
        ASSERT_EQ(effect->dispatcher(effect, effEditOpen, 0, 0, &dummyParent, 0.0f), 1);
        ++opens;
        NativeWindow* window = editor->getFrame()->getWindow();
        headless::paint(window, Rect(0, 0, 465, 360));
        for (int32_t i = 0; i < 20; ++i) {
            effect->dispatcher(effect, effEditIdle, 0, 0, nullptr, 0.0f);
            if (i == 5) headless::press(window, Point(346, 60));  // a ratio button
            if (i == 9) {
                headless::press(window, Point(400, 135));  // the entry field
                headless::typeIntoEditField(headless::getOpenEditField(), "33");
                headless::pressEnterInEditField(headless::getOpenEditField());
            }
            if (i == 13) headless::press(window, Point(100, 90));  // Slope Off
            std::this_thread::yield();
        }
        effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.0f);
        // Closed: every call is ignored, however many arrive.
        effect->dispatcher(effect, effEditIdle, 0, 0, nullptr, 0.0f);
    }
    stop = true;
    audio.join();
    EXPECT_GT(opens, 10);
    EXPECT_GT(blocks.load(), 100);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(headless::getWindowCount(), 0);
    headless::reset();
}

// A writer far ahead of a slow reader: the reader sees entries in order only, is told exactly how
// many gave way, and ends on the newest one; the writer never waits.
TEST(SweepPointQueueThreadsTest, ASlowReaderSkipsAheadAndEndsOnTheNewest) {
    static SweepPointQueue queue;
    constexpr uint32_t kEntries = 300000;
    std::thread writer([] {
        for (uint32_t i = 1; i <= kEntries; ++i) queue.push(i);
    });
    uint32_t last = 0;
    uint64_t accounted = 0;
    int32_t passes = 0;
    auto drain = [&] {
        uint32_t entry = 0;
        uint64_t lost = 0;
        while (queue.pop(entry, lost)) {
            ASSERT_EQ(uint64_t(entry - last - 1), lost) << entry << " after " << last;
            accounted += lost + 1;
            last = entry;
        }
    };
    while (last < kEntries && passes < 100000) {
        drain();
        ++passes;
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
    writer.join();
    drain();
    EXPECT_EQ(last, kEntries);
    EXPECT_EQ(accounted, uint64_t(kEntries));
}

}  // namespace
}  // namespace brindlet::test
