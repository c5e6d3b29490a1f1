// Parameters and programs through the built module: texts, read-backs, selection, renaming.
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "ModuleTestSupport.h"
#include "engine/ParameterIndex.h"

namespace brindlet::test {
namespace {

using ModuleParametersTest = ModuleTest;

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
    EXPECT_EQ(plugin->parameterLabel(14), "    ");
}

// The texts show the engine's values: the mappings' ends, dead zone and rounding, and where
// out-of-range values are held.
TEST_F(ModuleParametersTest, DisplaysFollowTheEngineValues) {
    struct Case {
        int32_t index;
        float value;
        const char* display;
    };
    const Case cases[] = {
        {kPitchStart, 0.5f, "  0.50  "}, {kPitchEnd, 0.125f, "  0.12  "},  // half to even
        {kPitchDecay, 0.5f, "  0.25  "}, {kPitchDecay, 0.9f, "  0.45  "},
        {kPitchDecay, 1.0f, "  1.00  "}, {kEnvMod, 0.0f, "  -1.00  "},
        {kEnvMod, 0.8f, "  0.60  "},     {kGateLevel, 0.25f, "  25  "},
        {kGateLevel, 0.15f, "  15  "},   {kFeedback, 0.0f, "  -90  "},
        {kFeedback, 0.5f, "  0  "},      {kFeedback, 0.4945f, "  0  "},  // the dead zone
        {kFeedback, 0.506f, "  1  "},    {kFeedback, 1.0f, "  90  "},
        {kTrigMode, 0.0f, "Normal"},     {kTrigMode, 0.5f / 3.0f, "Normal"},
        {kTrigMode, 0.4f, "No Slope"},   {kTrigMode, 0.5f, "Dry"},
        {kTrigMode, 2.5f / 3.0f, "Dry"}, {kTrigMode, 1.0f, "Mute"},
        {kTrigMode, 7.0f, "Mute"},       {kTrigMode, -3.0f, "Normal"},
        {kTrigLevel, 0.1f, "  10.00  "}, {kXFade, 0.0f, "  1  "},
        {kXFade, 0.00375f, "  2  "},     {kXFade, 0.00625f, "  2  "},
        {kXFade, 0.25f, "  100  "},      {kXFade, 50.0f, "  400  "},
        {kXFade, -1.0f, "  1  "},        {kMix, 0.25f, "  Dry 75% / Wet25%  "},
        {kSlopeOff, 1.0f, "On"},         {kSlopeOff, 0.0f, "Off"},
        {kSlopeOff, 0.51f, "On"},        {kSlopeOff, 0.5f, "Off"},  // on only above 0.5
    };
    for (const Case& c : cases) {
        plugin->setParameter(c.index, c.value);
        EXPECT_EQ(plugin->parameterDisplay(c.index), c.display) << c.index << " = " << c.value;
    }
}

// Construction passes program 0 through setParameter and then resets the engine to its own
// defaults: the record says "Bass", the engine does not (until the program is selected).
TEST_F(ModuleParametersTest, ReadBacks) {
    EXPECT_EQ(plugin->programName(), "Bass");
    EXPECT_FLOAT_EQ(plugin->getParameter(kPitchStart), 0.5f);
    EXPECT_FLOAT_EQ(plugin->getParameter(kXFade), 0.125f);
    plugin->setProgram(0);
    EXPECT_FLOAT_EQ(plugin->getParameter(kPitchStart), 0.75f);
    EXPECT_FLOAT_EQ(plugin->getParameter(kXFade), 0.25f);

    struct Case {
        int32_t index;
        float value, readBack;
    };
    // Pitch/ Decay has no zero length, X-Fade reads back its whole frames / 400, Trig/ Mode and
    // Feedback their raw values.
    const Case cases[] = {
        {kPitchDecay, 0.0f, 0.01f},   {kPitchDecay, 0.9f, 0.9f},     {kPitchDecay, 0.95f, 0.95f},
        {kXFade, 0.0f, 0.0025f},      {kXFade, 0.25f, 0.25f},        {kXFade, 0.00125f, 0.0025f},
        {kSlopeOff, 0.7f, 1.0f},      {kPitchShape, 0.375f, 0.375f}, {kGateLevel, 0.375f, 0.375f},
        {kFeedback, 0.505f, 0.505f},  {kTrigMode, 7.0f, 7.0f},       {kTrigMode, -3.0f, -3.0f},
        {kTrigLevel, 0.375f, 0.375f}, {kEnvMod, 0.8f, 0.8f},         {kEnvAttack, 1.0f, 1.0f},
        {kMix, 0.375f, 0.375f}};
    for (const Case& c : cases) {
        plugin->setParameter(c.index, c.value);
        EXPECT_FLOAT_EQ(plugin->getParameter(c.index), c.readBack) << c.index << " = " << c.value;
    }
}

std::vector<float> valuesOf(PluginInstance& plugin) {
    std::vector<float> values;
    for (int32_t i = 0; i < kNumParams; ++i) values.push_back(plugin.getParameter(i));
    return values;
}

TEST_F(ModuleParametersTest, ProgramNamesAndSelection) {
    const char* names[] = {"Bass",         "Big Drum",        "Electro Drum", "DJ Decks",
                           "Talking Drum", "Hawaiian Guitar", "Flanger",      "Sweep"};
    plugin->setProgram(0);
    const std::vector<float> bass = valuesOf(*plugin);
    for (int32_t k = 0; k < 16; ++k) {
        bool ok = false;
        EXPECT_EQ(plugin->programNameIndexed(k, &ok), k < 8 ? names[k] : "User") << k;
        EXPECT_TRUE(ok);
        plugin->setProgram(k);
        EXPECT_EQ(plugin->program(), k);
        EXPECT_EQ(plugin->programName(), k < 8 ? names[k] : "User" + std::to_string(k + 1));
        EXPECT_TRUE(k < 8 || valuesOf(*plugin) == bass) << "user program " << k << " is not Bass";
    }
    for (int32_t bad : {16, -1}) {
        plugin->setProgram(bad);
        EXPECT_EQ(plugin->program(), 15);
    }
    for (int32_t k : {-1, 16, 1000, INT32_MIN}) {
        char buffer[8] = "keep";
        EXPECT_EQ(dispatch(effGetProgramNameIndexed, k, 0, buffer), 0) << k;
        EXPECT_STREQ(buffer, "keep");
    }
}

TEST_F(ModuleParametersTest, RenamingTheCurrentProgram) {
    struct Case {
        int32_t program;
        const char* name;
        std::string shown;
    };
    // Only the exact default name gets the program's number.
    for (const Case& c :
         {Case{9, "Kick", "Kick"}, Case{3, "User", "User4"}, Case{10, "user", "user"},
          Case{10, "User ", "User "}, Case{10, " User", " User"}, Case{10, "", ""},
          Case{12, "0123456789012345678901234567890123456789", "01234567890123456789012"}}) {
        plugin->setProgram(c.program);
        dispatch(effSetProgramName, 0, 0, const_cast<char*>(c.name));
        EXPECT_EQ(plugin->programName(), c.shown) << c.name;
        EXPECT_EQ(plugin->programNameIndexed(c.program), c.shown == "User4" ? "User" : c.shown);
    }
    EXPECT_EQ(plugin->programNameIndexed(9), "Kick");

    // Exactly 23 bytes on the heap without a terminator: reading one more is an overrun.
    auto unterminated = std::make_unique<char[]>(23);
    std::memset(unterminated.get(), 'U', 23);
    plugin->setProgram(0);
    dispatch(effSetProgramName, 0, 0, unterminated.get());
    EXPECT_EQ(plugin->programName(), std::string(23, 'U'));
    EXPECT_EQ(plugin->programNameIndexed(0), std::string(23, 'U'));
}

TEST_F(ModuleParametersTest, ChangesAreWrittenBackIntoTheCurrentProgramOnly) {
    plugin->setProgram(5);
    const std::vector<float> guitar = valuesOf(*plugin);
    plugin->setProgram(2);
    plugin->setParameter(kEnvMod, 0.9f);
    plugin->setParameter(kEnvMod, std::nanf(""));  // unusable: the program keeps 0.9
    plugin->setParameter(kEnvMod, INFINITY);
    for (int32_t tag : {14, 20, 39, -1})
        plugin->setParameter(tag, 0.33f);  // editor tags: kept nowhere
    plugin->setProgram(5);
    EXPECT_EQ(valuesOf(*plugin), guitar);
    plugin->setProgram(2);
    EXPECT_FLOAT_EQ(plugin->getParameter(kEnvMod), 0.9f);
    EXPECT_EQ(plugin->programNameIndexed(2), "Electro Drum");
    EXPECT_EQ(plugin->programNameIndexed(3), "DJ Decks");
}

}  // namespace
}  // namespace brindlet::test
