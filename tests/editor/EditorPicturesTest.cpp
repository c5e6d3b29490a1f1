// Pictures of the whole editor for people to look at: at program 0, after each preset button,
// and with a sweep running.
#include <cmath>
#include <string>

#include "tests/editor/EditorTestSupport.h"

namespace brindlet::test {
namespace {

TEST_F(EditorTest, PicturesAtProgramZeroAfterEachPresetAndWithASweepRunning) {
    openAndPaint();
    // The meters start from full and fall by a tenth per idle.
    for (int32_t i = 0; i < 12; ++i) editor->idle();
    EXPECT_TRUE(headless::saveWindowPng(window, picturePath("editor-program-0")));
    EXPECT_NE(pixel(5, 5), (Color{0, 0, 0, 0}));  // the panel's background, not just controls

    for (int32_t k = 0; k < kNumPresetButtons; ++k) {
        click(centreOf(kTagPreset0 + k));
        editor->idle();
        EXPECT_TRUE(
            headless::saveWindowPng(window, picturePath("editor-preset-" + std::to_string(k))));
    }

    // The last preset stays: three sweeps from its start level towards its end level, each a
    // little shorter; the last one is still arriving.
    editor->setParameter(kFeedRise, 0.55f);
    editor->setParameter(kFeedLevel, 0.8f);
    const float start = host.params[kPitchStart];
    const float end = host.params[kPitchEnd];
    const int32_t lengths[3] = {101, 90, 55};
    for (int32_t sweep = 0; sweep < 3; ++sweep) {
        for (int32_t i = 0; i < lengths[sweep]; ++i) {
            const float t = static_cast<float>(i) / (80.0f - 12.0f * static_cast<float>(sweep));
            const float rate = end + (start - end) * std::exp(-3.0f * t);
            editor->setParameter(kFeedSweep, i == 0 ? rate + 99.0f : rate);
            if (i % 5 == 4) editor->idle();
        }
    }
    editor->idle();
    EXPECT_TRUE(headless::saveWindowPng(window, picturePath("editor-sweep-running")));
}

}  // namespace
}  // namespace brindlet::test
