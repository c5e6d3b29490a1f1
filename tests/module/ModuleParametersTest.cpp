// Parameters and programs through the built module: texts, read-backs, selection, write-back.
#include <string>

#include "ModuleTestSupport.h"
#include "engine/ParameterIndex.h"

namespace brindlet::test {
namespace {

using ModuleParametersTest = ModuleTest;

std::string withoutBlanks(std::string text) {
    std::erase(text, ' ');
    return text;
}

TEST_F(ModuleParametersTest, NamesAndLabels) {
    const char* names[] = {"Pitch/ Start ", "Pitch/ End ",   "Pitch/ Decay ",      "Pitch/ Shape ",
                           "Env/ Mod ",     "Env/ Attack ",  "Gate/ Level  ",      "Feedback  ",
                           "Trig/ Mode",    "Trig/ Level  ", "Trig/ Selectivity ", "X-Fade  ",
                           "Mix ",          "Slope Off  "};
    for (int32_t i = 0; i < kNumParams; ++i) {
        EXPECT_EQ(plugin->parameterName(i), names[i]) << i;
        const bool percent = i == kGateLevel || i == kFeedback || i == kTrigLevel;
        EXPECT_EQ(plugin->parameterLabel(i), percent       ? "%"
                                             : i == kXFade ? "  samples"
                                                           : "    ")
            << i;
    }
    for (int32_t i : {-1, 14, 40}) {
        EXPECT_EQ(plugin->parameterName(i), "") << i;
        EXPECT_EQ(plugin->parameterLabel(i), "    ") << i;
    }
}

TEST_F(ModuleParametersTest, DisplaysFollowTheEngineValues) {
    struct Case {
        int32_t index;
        float value;
        const char* display;
    };
    const Case cases[] = {
        {kPitchStart, 0.5f, "  0.50  "}, {kPitchDecay, 0.5f, "  0.25  "},
        {kPitchDecay, 1.0f, "  1.00  "}, {kEnvMod, 0.0f, "  -1.00  "},
        {kGateLevel, 0.25f, "  25  "},   {kFeedback, 0.0f, "  -90  "},
        {kFeedback, 0.5f, "  0  "},      {kFeedback, 1.0f, "  90  "},
        {kTrigMode, 0.0f, "Normal"},     {kTrigMode, 0.4f, "No Slope"},
        {kTrigMode, 0.5f, "Dry"},        {kTrigMode, 1.0f, "Mute"},
        {kTrigLevel, 0.1f, "  10.00  "}, {kXFade, 0.0f, "  1  "},
        {kXFade, 0.25f, "  100  "},      {kMix, 0.25f, "  Dry 75% / Wet25%  "},
    };
    for (const Case& c : cases) {
        plugin->setParameter(c.index, c.value);
        EXPECT_EQ(plugin->parameterDisplay(c.index), c.display) << c.index << " = " << c.value;
    }
    plugin->setParameter(kSlopeOff, 1.0f);
    EXPECT_EQ(withoutBlanks(plugin->parameterDisplay(kSlopeOff)), "On");
    plugin->setParameter(kSlopeOff, 0.0f);
    EXPECT_EQ(withoutBlanks(plugin->parameterDisplay(kSlopeOff)), "Off");
}

TEST_F(ModuleParametersTest, ReadBacks) {
    plugin->setParameter(kPitchDecay, 0.0f);
    EXPECT_FLOAT_EQ(plugin->getParameter(kPitchDecay), 0.01f);
    plugin->setParameter(kPitchDecay, 0.9f);
    EXPECT_FLOAT_EQ(plugin->getParameter(kPitchDecay), 0.9f);
    plugin->setParameter(kXFade, 0.0f);
    EXPECT_FLOAT_EQ(plugin->getParameter(kXFade), 0.0025f);
    plugin->setParameter(kSlopeOff, 0.7f);
    EXPECT_EQ(plugin->getParameter(kSlopeOff), 1.0f);
    for (int32_t i : {kPitchShape, kGateLevel, kFeedback, kTrigLevel, kMix}) {
        plugin->setParameter(i, 0.375f);
        EXPECT_EQ(plugin->getParameter(i), 0.375f) << i;
    }
}

// Construction passes program 0 through setParameter and then resets the engine to its own
// defaults: the record says "Bass", the engine does not (until the program is selected).
TEST_F(ModuleParametersTest, EngineStartsAtItsDefaultsWhileProgramZeroIsBass) {
    EXPECT_EQ(plugin->program(), 0);
    EXPECT_EQ(plugin->programName(), "Bass");
    EXPECT_FLOAT_EQ(plugin->getParameter(kPitchStart), 0.5f);
    EXPECT_FLOAT_EQ(plugin->getParameter(kPitchShape), 1.0f);
    EXPECT_FLOAT_EQ(plugin->getParameter(kXFade), 0.125f);
    plugin->setProgram(0);
    EXPECT_FLOAT_EQ(plugin->getParameter(kPitchStart), 0.75f);
    EXPECT_FLOAT_EQ(plugin->getParameter(kPitchShape), 0.0f);
    EXPECT_FLOAT_EQ(plugin->getParameter(kXFade), 0.25f);
}

TEST_F(ModuleParametersTest, ProgramNamesAndSelection) {
    const char* names[] = {"Bass",         "Big Drum",        "Electro Drum", "DJ Decks",
                           "Talking Drum", "Hawaiian Guitar", "Flanger",      "Sweep"};
    for (int32_t k = 0; k < 16; ++k) {
        bool ok = false;
        EXPECT_EQ(plugin->programNameIndexed(k, &ok), k < 8 ? names[k] : "User") << k;
        EXPECT_TRUE(ok);
        plugin->setProgram(k);
        EXPECT_EQ(plugin->program(), k);
        EXPECT_EQ(plugin->programName(), k < 8 ? names[k] : "User" + std::to_string(k + 1));
    }
    plugin->setProgram(16);
    EXPECT_EQ(plugin->program(), 15);
    plugin->setProgram(-1);
    EXPECT_EQ(plugin->program(), 15);
    bool ok = true;
    EXPECT_EQ(plugin->programNameIndexed(16, &ok), "");
    EXPECT_FALSE(ok);
}

TEST_F(ModuleParametersTest, SlopeOffProgramEndsWithStartEqualToEnd) {
    plugin->setProgram(4);  // Talking Drum: Slope Off on, Pitch/ End 0.5
    EXPECT_EQ(plugin->getParameter(kSlopeOff), 1.0f);
    EXPECT_FLOAT_EQ(plugin->getParameter(kPitchStart), 0.5f);
    plugin->setParameter(kPitchEnd, 0.8f);
    EXPECT_FLOAT_EQ(plugin->getParameter(kPitchStart), 0.8f);
}

TEST_F(ModuleParametersTest, RenamingAndWriteBack) {
    plugin->setProgram(9);
    char kick[] = "Kick";
    dispatch(effSetProgramName, 0, 0, kick);
    EXPECT_EQ(plugin->programName(), "Kick");
    EXPECT_EQ(plugin->programNameIndexed(9), "Kick");
    const std::string longName(40, 'z');
    dispatch(effSetProgramName, 0, 0, const_cast<char*>(longName.c_str()));
    EXPECT_EQ(plugin->programName(), std::string(23, 'z'));

    plugin->setProgram(2);
    plugin->setParameter(kEnvMod, 0.9f);
    plugin->setParameter(20, 0.33f);  // an editor tag: no record keeps it
    plugin->setProgram(5);
    EXPECT_FLOAT_EQ(plugin->getParameter(kEnvMod), 0.5f);
    plugin->setProgram(2);
    EXPECT_FLOAT_EQ(plugin->getParameter(kEnvMod), 0.9f);
    EXPECT_EQ(plugin->programNameIndexed(2), "Electro Drum");
    EXPECT_EQ(plugin->programNameIndexed(3), "DJ Decks");
}

}  // namespace
}  // namespace brindlet::test
