// Parameter mappings, dead zones, rounding, Slope Off coupling and the parameter texts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "engine/Engine.h"
#include "engine/EngineParameters.h"
#include "tests/engine/FakeEngineHost.h"

namespace brindlet {
namespace {

std::string display(const EngineParameters& p, int32_t index) {
    char text[kMaxTextBytes] = "untouched";
    p.display(index, text);
    return text;
}

TEST(ParameterMapping, DecayHasTwoSlopesAndNoZeroLength) {
    EngineParameters p;
    p.set(kPitchDecay, 0.0f, nullptr);
    EXPECT_EQ(p.snapshot().pitchDecay, 0.005f);
    EXPECT_EQ(p.get(kPitchDecay), 0.01f);  // the replaced zero reads back as 0.01
    p.set(kPitchDecay, 0.9f, nullptr);
    EXPECT_EQ(p.snapshot().pitchDecay, 0.45f);
    EXPECT_EQ(p.get(kPitchDecay), 0.9f);
    EXPECT_EQ(display(p, kPitchDecay), "  0.45  ");
    p.set(kPitchDecay, 1.0f, nullptr);
    EXPECT_EQ(p.snapshot().pitchDecay, 1.0f);
    EXPECT_EQ(p.get(kPitchDecay), 1.0f);
    p.set(kPitchDecay, 0.95f, nullptr);
    EXPECT_FLOAT_EQ(p.snapshot().pitchDecay, 0.725f);
    EXPECT_NEAR(p.get(kPitchDecay), 0.95f, 1e-6f);
}

TEST(ParameterMapping, FeedbackDeadZoneAroundTheMiddle) {
    EngineParameters p;
    p.set(kFeedback, 0.5f, nullptr);
    EXPECT_EQ(p.snapshot().feedbackAmount, 0.0f);
    EXPECT_EQ(display(p, kFeedback), "  0  ");
    p.set(kFeedback, 0.505f, nullptr);  // 0.009: inside the dead zone
    EXPECT_EQ(p.snapshot().feedbackAmount, 0.0f);
    EXPECT_EQ(p.get(kFeedback), 0.505f);  // the raw value reads back
    p.set(kFeedback, 0.4945f, nullptr);   // -0.0099
    EXPECT_EQ(p.snapshot().feedbackAmount, 0.0f);
    p.set(kFeedback, 0.51f, nullptr);  // 0.018: outside
    EXPECT_NEAR(p.snapshot().feedbackAmount, 0.018f, 1e-6f);
    p.set(kFeedback, 0.0f, nullptr);
    EXPECT_EQ(p.snapshot().feedbackAmount, -0.9f);
    EXPECT_EQ(display(p, kFeedback), "  -90  ");
    p.set(kFeedback, 1.0f, nullptr);
    EXPECT_EQ(p.snapshot().feedbackAmount, 0.9f);
    EXPECT_EQ(display(p, kFeedback), "  90  ");
}

TEST(ParameterMapping, TrigModeRoundsHalfToEven) {
    EngineParameters p;
    const struct {
        float v;
        TriggerMode mode;
        const char* word;
    } cases[] = {{0.5f / 3.0f, TriggerMode::Normal, "Normal"},
                 {0.4f, TriggerMode::NoSlope, "No Slope"},
                 {0.5f, TriggerMode::Dry, "Dry"},
                 {0.7f, TriggerMode::Dry, "Dry"},
                 {1.0f, TriggerMode::Mute, "Mute"},
                 {2.5f / 3.0f, TriggerMode::Dry, "Dry"},
                 {0.0f, TriggerMode::Normal, "Normal"},
                 {7.0f, TriggerMode::Mute, "Mute"},
                 {-3.0f, TriggerMode::Normal, "Normal"}};
    for (const auto& c : cases) {
        p.set(kTrigMode, c.v, nullptr);
        EXPECT_EQ(p.snapshot().trigMode, c.mode) << c.v;
        EXPECT_EQ(display(p, kTrigMode), c.word) << c.v;
        EXPECT_EQ(p.get(kTrigMode), c.v);
    }
}

TEST(ParameterMapping, CrossfadeLengthAndStep) {
    EngineParameters p;
    p.set(kXFade, 0.0f, nullptr);
    EXPECT_EQ(p.snapshot().xfadeSamples, 1);
    EXPECT_EQ(p.snapshot().xfadeStep, 1.0f);
    EXPECT_EQ(p.get(kXFade), 0.0025f);
    EXPECT_EQ(display(p, kXFade), "  1  ");
    p.set(kXFade, 0.25f, nullptr);
    EXPECT_EQ(p.snapshot().xfadeSamples, 100);
    EXPECT_EQ(p.snapshot().xfadeStep, 0.01f);
    p.set(kXFade, 0.00125f, nullptr);  // 0.5 frames: ties to even gives 0, replaced by 1
    EXPECT_EQ(p.snapshot().xfadeSamples, 1);
    p.set(kXFade, 0.00375f, nullptr);  // 1.5 frames gives 2
    EXPECT_EQ(p.snapshot().xfadeSamples, 2);
    p.set(kXFade, 0.00625f, nullptr);  // 2.5 frames gives 2 as well
    EXPECT_EQ(p.snapshot().xfadeSamples, 2);
    EXPECT_EQ(p.snapshot().xfadeStep, 0.5f);
    p.set(kXFade, 1.0f, nullptr);
    EXPECT_EQ(p.snapshot().xfadeSamples, 400);
    p.set(kXFade, 50.0f, nullptr);  // held at the longest crossfade
    EXPECT_EQ(p.snapshot().xfadeSamples, 400);
    p.set(kXFade, -1.0f, nullptr);
    EXPECT_EQ(p.snapshot().xfadeSamples, 1);
}

TEST(ParameterMapping, EnvelopeAndLinearParameters) {
    EngineParameters p;
    p.set(kEnvMod, 0.0f, nullptr);
    EXPECT_EQ(p.snapshot().envModDepth, -1.0f);
    p.set(kEnvMod, 0.8f, nullptr);
    EXPECT_FLOAT_EQ(p.snapshot().envModDepth, 0.6f);
    EXPECT_FLOAT_EQ(p.get(kEnvMod), 0.8f);
    p.set(kEnvAttack, 0.0f, nullptr);
    EXPECT_FLOAT_EQ(p.snapshot().envAttackCoeff, 0.001f);
    p.set(kEnvAttack, 1.0f, nullptr);
    EXPECT_FLOAT_EQ(p.snapshot().envAttackCoeff, 0.00001f);
    EXPECT_EQ(p.get(kEnvAttack), 1.0f);
    for (int32_t index : {kPitchShape, kGateLevel, kTrigLevel, kTrigSelectivity, kMix}) {
        p.set(index, 0.37f, nullptr);
        EXPECT_EQ(p.get(index), 0.37f) << index;
    }
}

TEST(ParameterMapping, TrigModeDecidesWhetherFeedbackTargetFollows) {
    EngineParameters p;
    p.set(kFeedback, 1.0f, nullptr);
    EXPECT_EQ(p.feedbackTarget().load(), 0.9f);
    p.set(kTrigMode, 0.5f, nullptr);  // Dry keeps the target where it is
    p.feedbackTarget().store(0.0f);
    p.set(kFeedback, 0.0f, nullptr);
    EXPECT_EQ(p.feedbackTarget().load(), 0.0f);
    p.set(kTrigMode, 0.0f, nullptr);  // leaving Dry restores it
    EXPECT_EQ(p.feedbackTarget().load(), -0.9f);
}

TEST(ParameterMapping, NormalModeAsksForASweepResyncWithTheEndAtThatTime) {
    EngineParameters p;
    EXPECT_TRUE(std::isnan(p.takeNormalResync()));
    p.set(kPitchEnd, 0.3f, nullptr);
    p.set(kTrigMode, 0.0f, nullptr);
    p.set(kPitchEnd, 0.9f, nullptr);
    EXPECT_EQ(p.takeNormalResync(), 0.3f);
    EXPECT_TRUE(std::isnan(p.takeNormalResync()));  // taken once
    p.set(kTrigMode, 1.0f, nullptr);
    EXPECT_TRUE(std::isnan(p.takeNormalResync()));
}

TEST(ParameterMapping, EndChangedIsSetByPitchEndAndTakenOnce) {
    EngineParameters p;
    EXPECT_FALSE(p.takeEndChanged());
    p.set(kPitchEnd, 0.2f, nullptr);
    EXPECT_TRUE(p.takeEndChanged());
    EXPECT_FALSE(p.takeEndChanged());
}

TEST(ParameterMapping, NonFiniteValuesAndUnknownIndicesChangeNothing) {
    EngineParameters p;
    p.set(kMix, 0.25f, nullptr);
    p.set(kMix, std::numeric_limits<float>::quiet_NaN(), nullptr);
    p.set(kMix, std::numeric_limits<float>::infinity(), nullptr);
    p.set(14, 0.9f, nullptr);
    p.set(-1, 0.9f, nullptr);
    EXPECT_EQ(p.get(kMix), 0.25f);
    EXPECT_EQ(p.get(14), 0.0f);
    EXPECT_EQ(p.get(-1), 0.0f);
}

TEST(ParameterMapping, DefaultsAfterResetKeepTheRawFeedback) {
    EngineParameters p;
    for (int32_t i = 0; i < kNumParams; ++i) p.set(i, 0.77f, nullptr);
    p.resetToDefaults();
    const float expected[kNumParams] = {0.5f,  0.5f, 0.2f, 1.0f, 0.5f,   0.2f, 0.0f,
                                        0.77f, 0.0f, 0.0f, 0.3f, 0.125f, 1.0f, 0.0f};
    for (int32_t i = 0; i < kNumParams; ++i) EXPECT_FLOAT_EQ(p.get(i), expected[i]) << i;
    const ParameterSnapshot s = p.snapshot();
    EXPECT_EQ(s.feedbackAmount, 0.0f);
    EXPECT_EQ(s.envAttackCoeff, 0.000802f);
    EXPECT_EQ(s.xfadeSamples, 50);
    EXPECT_EQ(s.xfadeStep, 0.02f);
    EXPECT_EQ(p.feedbackTarget().load(), 0.0f);
}

// ---------------------------------------------------------------- Slope Off

TEST(SlopeOff, StartFollowsEndWhileOn) {
    EngineParameters p;
    p.set(kPitchStart, 0.9f, nullptr);
    p.set(kPitchEnd, 0.2f, nullptr);
    p.set(kSlopeOff, 0.51f, nullptr);
    EXPECT_EQ(p.get(kSlopeOff), 1.0f);
    EXPECT_EQ(p.get(kPitchStart), 0.2f);
    p.set(kPitchEnd, 0.6f, nullptr);
    EXPECT_EQ(p.get(kPitchStart), 0.6f);
    p.set(kSlopeOff, 0.5f, nullptr);  // not above 0.5: off
    EXPECT_EQ(p.get(kSlopeOff), 0.0f);
    p.set(kPitchEnd, 0.1f, nullptr);
    EXPECT_EQ(p.get(kPitchStart), 0.6f);
}

TEST(SlopeOff, SettingStartTurnsItOffAndTellsTheEditorOnce) {
    test::FakeEngineHost host;
    Engine engine(&host);
    engine.setParameter(kSlopeOff, 1.0f);
    engine.setParameter(kPitchStart, 0.8f);
    EXPECT_EQ(engine.getParameter(kSlopeOff), 0.0f);
    EXPECT_EQ(engine.getParameter(kPitchStart), 0.8f);
    ASSERT_EQ(host.feeds.size(), 1u);
    EXPECT_EQ(host.feeds[0], (test::Feed{kSlopeOff, 0.0f}));
    engine.setParameter(kPitchStart, 0.7f);  // already off: no second notice
    EXPECT_EQ(host.feeds.size(), 1u);
}

TEST(SlopeOff, NoNoticeWithoutAnEditor) {
    test::FakeEngineHost host;
    host.editor = false;
    Engine engine(&host);
    engine.setParameter(kSlopeOff, 1.0f);
    engine.setParameter(kPitchStart, 0.8f);
    EXPECT_EQ(engine.getParameter(kSlopeOff), 0.0f);
    EXPECT_TRUE(host.feeds.empty());
}

// ---------------------------------------------------------------- Texts

TEST(ParameterText, NamesAreExactIncludingTrailingBlanks) {
    const char* names[kNumParams] = {
        "Pitch/ Start ",      "Pitch/ End ",   "Pitch/ Decay ", "Pitch/ Shape ", "Env/ Mod ",
        "Env/ Attack ",       "Gate/ Level  ", "Feedback  ",    "Trig/ Mode",    "Trig/ Level  ",
        "Trig/ Selectivity ", "X-Fade  ",      "Mix ",          "Slope Off  "};
    Engine engine(nullptr);
    for (int32_t i = 0; i < kNumParams; ++i) {
        char text[kMaxTextBytes] = {};
        EXPECT_TRUE(engine.parameterName(i, text));
        EXPECT_STREQ(text, names[i]);
    }
    char text[kMaxTextBytes] = "keep";
    EXPECT_FALSE(engine.parameterName(14, text));
    EXPECT_FALSE(engine.parameterName(-1, text));
    EXPECT_STREQ(text, "keep");
    EXPECT_FALSE(engine.parameterName(0, nullptr));
}

TEST(ParameterText, LabelsForEveryIndex) {
    Engine engine(nullptr);
    auto label = [&](int32_t i) {
        char text[kMaxTextBytes] = {};
        EXPECT_TRUE(engine.parameterLabel(i, text));
        return std::string(text);
    };
    EXPECT_EQ(label(kGateLevel), "%");
    EXPECT_EQ(label(kFeedback), "%");
    EXPECT_EQ(label(kTrigLevel), "%");
    EXPECT_EQ(label(kXFade), "  samples");
    EXPECT_EQ(label(kPitchStart), "    ");
    EXPECT_EQ(label(kSlopeOff), "    ");
    EXPECT_EQ(label(99), "    ");
    EXPECT_EQ(label(-5), "    ");
}

TEST(ParameterText, DisplaysPrintEngineValues) {
    EngineParameters p;
    p.set(kMix, 0.25f, nullptr);
    EXPECT_EQ(display(p, kMix), "  Dry 75% / Wet25%  ");
    p.set(kGateLevel, 0.15f, nullptr);
    EXPECT_EQ(display(p, kGateLevel), "  15  ");
    p.set(kTrigLevel, 0.1f, nullptr);
    EXPECT_EQ(display(p, kTrigLevel), "  10.00  ");
    p.set(kEnvMod, 0.0f, nullptr);
    EXPECT_EQ(display(p, kEnvMod), "  -1.00  ");
    p.set(kPitchEnd, 0.125f, nullptr);
    EXPECT_EQ(display(p, kPitchEnd), "  0.12  ");  // printf rounds the exact half to even
    EXPECT_EQ(display(p, kSlopeOff), "Off");
    p.set(kSlopeOff, 1.0f, nullptr);
    EXPECT_EQ(display(p, kSlopeOff), "On");
    char text[kMaxTextBytes] = "keep";
    EXPECT_FALSE(p.display(14, text));
    EXPECT_FALSE(p.display(-1, text));
    EXPECT_STREQ(text, "keep");
}

TEST(ParameterText, HugeValuesStayWithinTheTextBound) {
    EngineParameters p;
    for (int32_t i = 0; i < kNumParams; ++i) p.set(i, i % 2 ? 3e38f : -3e38f, nullptr);
    for (int32_t i = 0; i < kNumParams; ++i) {
        char text[kMaxTextBytes + 16];
        std::memset(text, '#', sizeof text);
        p.display(i, text);
        EXPECT_LT(std::strlen(text), static_cast<std::size_t>(kMaxTextBytes)) << i;
        for (std::size_t k = kMaxTextBytes; k < sizeof text; ++k) EXPECT_EQ(text[k], '#') << i;
    }
}

}  // namespace
}  // namespace brindlet
