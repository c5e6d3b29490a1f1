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

constexpr float kSkip = std::numeric_limits<float>::quiet_NaN();

std::string display(const EngineParameters& p, int32_t index) {
    char text[kMaxTextBytes] = "untouched";
    p.display(index, text);
    return text;
}

// What the audio thread sees of the parameters the table below maps.
float engineValue(const ParameterSnapshot& s, int32_t index) {
    if (index == kTrigMode) return static_cast<float>(s.trigMode);
    if (index == kXFade) return static_cast<float>(s.xfadeSamples);
    if (index == kPitchDecay) return s.pitchDecay;
    if (index == kFeedback) return s.feedbackAmount;
    if (index == kEnvMod) return s.envModDepth;
    return s.envAttackCoeff;
}

TEST(ParameterMapping, EngineValuesAndReadBacks) {
    const float x = kSkip;  // not checked
    // Index, value set, engine value, value read back. Pitch/ Decay has two slopes meeting at
    // 0.9 and no zero length; Feedback a dead zone of +-0.01 around the middle, its raw value
    // reads back; Trig/ Mode is value x 3 rounded half to even and held to the four modes;
    // X-Fade is 1..400 frames, rounded half to even, and reads back as frames / 400.
    // clang-format off
    const float cases[][4] = {
        {kPitchDecay, 0.0f, 0.005f, 0.01f}, {kPitchDecay, 0.9f, 0.45f, 0.9f},
        {kPitchDecay, 0.95f, 0.725f, 0.95f}, {kPitchDecay, 1.0f, 1.0f, 1.0f},
        {kFeedback, 0.5f, 0.0f, 0.5f}, {kFeedback, 0.505f, 0.0f, 0.505f},
        {kFeedback, 0.4945f, 0.0f, 0.4945f}, {kFeedback, 0.51f, 0.018f, 0.51f},
        {kFeedback, 0.0f, -0.9f, 0.0f}, {kFeedback, 1.0f, 0.9f, 1.0f},
        {kTrigMode, 0.5f / 3.0f, 0, 0.5f / 3.0f}, {kTrigMode, 0.4f, 1, 0.4f},
        {kTrigMode, 0.5f, 2, 0.5f}, {kTrigMode, 2.5f / 3.0f, 2, 2.5f / 3.0f},
        {kTrigMode, 1.0f, 3, 1.0f}, {kTrigMode, 7.0f, 3, 7.0f}, {kTrigMode, -3.0f, 0, -3.0f},
        {kXFade, 0.0f, 1, 0.0025f}, {kXFade, 0.00125f, 1, x}, {kXFade, 0.00375f, 2, x},
        {kXFade, 0.00625f, 2, x}, {kXFade, 0.25f, 100, 0.25f}, {kXFade, 1.0f, 400, 1.0f},
        {kXFade, 50.0f, 400, x}, {kXFade, -1.0f, 1, x},
        {kEnvMod, 0.0f, -1.0f, 0.0f}, {kEnvMod, 0.8f, 0.6f, 0.8f},
        {kEnvAttack, 0.0f, 0.001f, 0.0f}, {kEnvAttack, 1.0f, 0.00001f, 1.0f},
        {kPitchShape, 0.37f, x, 0.37f},
        {kGateLevel, 0.37f, x, 0.37f}};
    // clang-format on
    EngineParameters p;
    for (const auto& c : cases) {
        const auto index = static_cast<int32_t>(c[0]);
        p.set(index, c[1], nullptr);
        const ParameterSnapshot s = p.snapshot();
        if (!std::isnan(c[2])) {
            EXPECT_NEAR(engineValue(s, index), c[2], 1e-5f * std::fabs(c[2]) + 1e-9f)
                << index << " " << c[1];
        }
        if (!std::isnan(c[3])) {
            EXPECT_NEAR(p.get(index), c[3], 1e-6f) << index << " " << c[1];
        }
        if (index == kXFade) {
        }
    }
}

TEST(ParameterText, DisplaysOfEngineValues) {
    // clang-format off
    const struct {
        int32_t index;
        float value;
        const char* text;
    } cases[] = {
        {kPitchDecay, 0.9f, "  0.45  "}, {kPitchEnd, 0.125f, "  0.12  "},  // half to even
        {kFeedback, 0.5f, "  0  "}, {kFeedback, 0.0f, "  -90  "}, {kFeedback, 1.0f, "  90  "},
        {kTrigMode, 0.5f / 3.0f, "Normal"}, {kTrigMode, 0.4f, "No Slope"},
        {kTrigMode, 2.5f / 3.0f, "Dry"}, {kTrigMode, 7.0f, "Mute"}, {kXFade, 0.0f, "  1  "},
        {kEnvMod, 0.0f, "  -1.00  "}, {kGateLevel, 0.15f, "  15  "},
        {kTrigLevel, 0.1f, "  10.00  "}, {kMix, 0.25f, "  Dry 75% / Wet25%  "},
        {kSlopeOff, 0.51f, "On"}, {kSlopeOff, 0.5f, "Off"}};  // on only above 0.5
    // clang-format on
    EngineParameters p;
    for (const auto& c : cases) {
        p.set(c.index, c.value, nullptr);
        EXPECT_EQ(display(p, c.index), c.text) << c.index << " " << c.value;
    }
}

TEST(ParameterMapping, FeedbackTargetAndRequestsToTheAudioThread) {
    EngineParameters p;
    p.set(kFeedback, 1.0f, nullptr);
    EXPECT_EQ(p.feedbackTarget().load(), 0.9f);
    p.set(kTrigMode, 0.5f, nullptr);  // Dry keeps the target where it is
    p.feedbackTarget().store(0.0f);
    p.set(kFeedback, 0.0f, nullptr);
    EXPECT_EQ(p.feedbackTarget().load(), 0.0f);
    p.set(kTrigMode, 0.4f, nullptr);  // leaving Dry restores it
    EXPECT_EQ(p.feedbackTarget().load(), -0.9f);

    // Selecting Normal asks once for a resync to Pitch/ End as it was at that time.
    EXPECT_TRUE(std::isnan(p.takeNormalResync()));
    p.set(kPitchEnd, 0.3f, nullptr);
    p.set(kTrigMode, 0.0f, nullptr);
    p.set(kPitchEnd, 0.9f, nullptr);
    EXPECT_EQ(p.takeNormalResync(), 0.3f);
    EXPECT_TRUE(std::isnan(p.takeNormalResync()));
    p.set(kTrigMode, 1.0f, nullptr);
    EXPECT_TRUE(std::isnan(p.takeNormalResync()));

    EXPECT_TRUE(p.takeEndChanged());  // Pitch/ End was set; taken once
    EXPECT_FALSE(p.takeEndChanged());
}

TEST(ParameterMapping, BadValuesChangeNothingAndResetKeepsTheRawFeedback) {
    EngineParameters p;
    p.set(kMix, 0.25f, nullptr);
    p.set(kMix, std::numeric_limits<float>::quiet_NaN(), nullptr);
    p.set(kMix, std::numeric_limits<float>::infinity(), nullptr);
    p.set(14, 0.9f, nullptr);
    p.set(-1, 0.9f, nullptr);
    EXPECT_EQ(p.get(kMix), 0.25f);
    EXPECT_EQ(p.get(14), 0.0f);
    EXPECT_EQ(p.get(-1), 0.0f);

    for (int32_t i = 0; i < kNumParams; ++i) p.set(i, 0.77f, nullptr);
    p.resetToDefaults();
    const EngineParameters fresh;
    for (int32_t i = 0; i < kNumParams; ++i) {
        EXPECT_EQ(p.get(i), i == kFeedback ? 0.77f : fresh.get(i)) << i;
    }
    EXPECT_EQ(p.snapshot().feedbackAmount, 0.0f);  // the gain itself is back at its default
    EXPECT_EQ(p.feedbackTarget().load(), 0.0f);
}

TEST(SlopeOff, StartFollowsEndWhileOnAndSettingStartTurnsItOff) {
    EngineParameters p;
    p.set(kPitchStart, 0.9f, nullptr);
    p.set(kPitchEnd, 0.2f, nullptr);
    p.set(kSlopeOff, 1.0f, nullptr);
    EXPECT_EQ(p.get(kPitchStart), 0.2f);
    p.set(kPitchEnd, 0.6f, nullptr);
    EXPECT_EQ(p.get(kPitchStart), 0.6f);
    p.set(kSlopeOff, 0.0f, nullptr);
    p.set(kPitchEnd, 0.1f, nullptr);
    EXPECT_EQ(p.get(kPitchStart), 0.6f);

    for (bool editor : {true, false}) {
        test::FakeEngineHost host;
        host.editor = editor;
        Engine engine(&host);
        engine.setParameter(kSlopeOff, 1.0f);
        engine.setParameter(kPitchStart, 0.8f);
        engine.setParameter(kPitchStart, 0.7f);  // already off: no second notice
        EXPECT_EQ(engine.getParameter(kSlopeOff), 0.0f);
        EXPECT_EQ(engine.getParameter(kPitchStart), 0.7f);
        EXPECT_EQ(host.feeds.size(), editor ? 1u : 0u);
        if (editor) {
            EXPECT_EQ(host.feeds[0], (test::Feed{kSlopeOff, 0.0f}));
        }
    }
}

TEST(ParameterText, NamesAndLabelsKeepTheirBlanks) {
    Engine engine(nullptr);
    char text[kMaxTextBytes] = {};
    EXPECT_TRUE(engine.parameterName(kSlopeOff, text));
    EXPECT_STREQ(text, "Slope Off  ");
    EXPECT_TRUE(engine.parameterName(kTrigSelectivity, text));
    EXPECT_STREQ(text, "Trig/ Selectivity ");
    EXPECT_TRUE(engine.parameterLabel(kXFade, text));
    EXPECT_STREQ(text, "  samples");
    EXPECT_FALSE(engine.parameterName(0, nullptr));
}

TEST(ParameterText, EveryTextStaysWithinTheBoundAndBadIndicesGetNoNameOrDisplay) {
    for (float huge : {3e38f, -3e38f}) {
        Engine engine(nullptr);
        for (int32_t i = 0; i < kNumParams; ++i) engine.setParameter(i, huge);
        for (int32_t i = -1; i <= kNumParams; ++i) {
            const bool known = i >= 0 && i < kNumParams;
            for (auto write :
                 {&Engine::parameterName, &Engine::parameterDisplay, &Engine::parameterLabel}) {
                char text[kMaxTextBytes + 16];
                std::memset(text, '#', sizeof text);
                std::strcpy(text, "keep");
                const bool wrote = (engine.*write)(i, text);
                const bool label = write == &Engine::parameterLabel;
                EXPECT_EQ(wrote, known || label) << i;
                if (!known) {
                    EXPECT_STREQ(text, label ? "    " : "keep") << i;  // the blank label
                }
                EXPECT_LT(std::strlen(text), static_cast<std::size_t>(kMaxTextBytes)) << i;
                for (std::size_t k = kMaxTextBytes; k < sizeof text; ++k) EXPECT_EQ(text[k], '#');
            }
        }
    }
}

}  // namespace
}  // namespace brindlet
