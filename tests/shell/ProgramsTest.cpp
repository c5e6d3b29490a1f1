// Programs: factory seeding, names, selection, renaming and the write-back of parameter changes.
#include <cstring>
#include <memory>

#include "ShellTestSupport.h"
#include "shell/FactoryPresetTable.h"

namespace brindlet::test {
namespace {

using ProgramsTest = ShellTest;

std::vector<float> factoryRow(int32_t row) {
    const FactoryPreset& preset = kFactoryPresetTable[row];
    return std::vector<float>(preset.values, preset.values + kNumParams);
}

TEST_F(ProgramsTest, BankStartsWithTheFactoryRowsAndUserPrograms) {
    const char* names[] = {"Bass",         "Big Drum",        "Electro Drum", "DJ Decks",
                           "Talking Drum", "Hawaiian Guitar", "Flanger",      "Sweep"};
    for (int32_t k = 0; k < 16; ++k) {
        char buffer[64] = {};
        EXPECT_EQ(dispatch(effect, effGetProgramNameIndexed, k, 0, buffer), 1);
        EXPECT_STREQ(buffer, k < 8 ? names[k] : "User") << k;
        EXPECT_EQ(valuesOf(k), factoryRow(k < 8 ? k : 0)) << k;
    }
}

TEST_F(ProgramsTest, IndexedNameOutsideTheBankAnswersNoAndWritesNothing) {
    for (int32_t k : {-1, 16, 1000, INT32_MIN}) {
        char buffer[8] = "keep";
        EXPECT_EQ(dispatch(effect, effGetProgramNameIndexed, k, 0, buffer), 0) << k;
        EXPECT_STREQ(buffer, "keep");
    }
}

TEST_F(ProgramsTest, DisplayNameNumbersDefaultProgramsFromOne) {
    EXPECT_EQ(textAnswer(effect, effGetProgramName), "Bass");
    dispatch(effect, effSetProgram, 0, 7);
    EXPECT_EQ(textAnswer(effect, effGetProgramName), "Sweep");
    dispatch(effect, effSetProgram, 0, 8);
    EXPECT_EQ(textAnswer(effect, effGetProgramName), "User9");
    EXPECT_EQ(textAnswer(effect, effGetProgramNameIndexed, 8), "User");
    dispatch(effect, effSetProgram, 0, 15);
    EXPECT_EQ(textAnswer(effect, effGetProgramName), "User16");
}

TEST_F(ProgramsTest, SelectionIsBoundedAndNotAutomated) {
    dispatch(effect, effSetProgram, 0, 3);
    EXPECT_EQ(dispatch(effect, effGetProgram), 3);
    for (intptr_t bad : {intptr_t{16}, intptr_t{-1}, intptr_t{1} << 40, -(intptr_t{1} << 40)}) {
        eventLog().clear();
        dispatch(effect, effSetProgram, 0, bad);
        EXPECT_EQ(dispatch(effect, effGetProgram), 3);
        EXPECT_TRUE(eventLog().empty());
    }
    eventLog().clear();
    dispatch(effect, effSetProgram, 0, 5);
    EXPECT_TRUE(hostRequests().empty()) << "selection must not send audioMasterAutomate";
    const auto applied = editorParameters();
    ASSERT_GE(applied.size(), 14u);
    for (int32_t i = 0; i < kNumParams; ++i) EXPECT_EQ(applied[i].first, i) << "index order";
}

TEST_F(ProgramsTest, ParameterChangesAreWrittenBackIntoTheCurrentProgramOnly) {
    dispatch(effect, effSetProgram, 0, 2);
    effect->setParameter(effect, kEnvMod, 0.9f);
    instance().automateParameter(kMix, 0.25f);
    EXPECT_EQ(valuesOf(5), factoryRow(5));
    auto expected = factoryRow(2);
    expected[kEnvMod] = 0.9f;
    expected[kMix] = 0.25f;
    EXPECT_EQ(valuesOf(2), expected);
}

TEST_F(ProgramsTest, EditorTagsBeyondTheParametersAreStoredNowhere) {
    std::vector<std::vector<float>> before;
    for (int32_t k = 0; k < 16; ++k) before.push_back(valuesOf(k));
    dispatch(effect, effSetProgram, 0, 4);
    eventLog().clear();
    for (int32_t tag : {14, 20, 39, -1, 1000}) effect->setParameter(effect, tag, 0.77f);
    int forwarded = 0;
    for (const LogEntry& e : eventLog()) forwarded += e.kind == LogEntry::EditorParameter;
    EXPECT_EQ(forwarded, 5) << "every index still reaches the editor";
    for (int32_t k = 0; k < 16; ++k) EXPECT_EQ(valuesOf(k), before[k]) << k;
    EXPECT_EQ(textAnswer(effect, effGetProgramNameIndexed, 4), "Talking Drum");
    EXPECT_EQ(textAnswer(effect, effGetProgramNameIndexed, 5), "Hawaiian Guitar");
}

TEST_F(ProgramsTest, RenamingChangesTheCurrentProgramsName) {
    dispatch(effect, effSetProgram, 0, 9);
    char kick[] = "Kick";
    dispatch(effect, effSetProgramName, 0, 0, kick);
    EXPECT_EQ(textAnswer(effect, effGetProgramName), "Kick");
    EXPECT_EQ(textAnswer(effect, effGetProgramNameIndexed, 9), "Kick");

    dispatch(effect, effSetProgram, 0, 3);
    char user[] = "User";
    dispatch(effect, effSetProgramName, 0, 0, user);
    EXPECT_EQ(textAnswer(effect, effGetProgramName), "User4");
    EXPECT_EQ(textAnswer(effect, effGetProgramNameIndexed, 3), "User");

    char empty[] = "";
    dispatch(effect, effSetProgramName, 0, 0, empty);
    EXPECT_EQ(textAnswer(effect, effGetProgramName), "");
    EXPECT_EQ(textAnswer(effect, effGetProgramNameIndexed, 9), "Kick");
}

TEST_F(ProgramsTest, LongOrUnterminatedNamesKeep23Characters) {
    const std::string longName(60, 'L');
    dispatch(effect, effSetProgramName, 0, 0, const_cast<char*>(longName.c_str()));
    EXPECT_EQ(textAnswer(effect, effGetProgramName), std::string(23, 'L'));

    // Exactly 23 bytes on the heap without a terminator: reading one more is an overrun.
    auto unterminated = std::make_unique<char[]>(23);
    std::memset(unterminated.get(), 'U', 23);
    dispatch(effect, effSetProgramName, 0, 0, unterminated.get());
    EXPECT_EQ(textAnswer(effect, effGetProgramName), std::string(23, 'U'));
    EXPECT_EQ(textAnswer(effect, effGetProgramNameIndexed, 0), std::string(23, 'U'));
}

TEST_F(ProgramsTest, SecondInstanceHasItsOwnFactoryBank) {
    dispatch(effect, effSetProgram, 0, 1);
    char name[] = "Mine";
    dispatch(effect, effSetProgramName, 0, 0, name);
    effect->setParameter(effect, kPitchStart, 0.125f);

    AEffect* second = createEffect(recordingCallback, kRecordingParts);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, effect);
    EXPECT_EQ(textAnswer(second, effGetProgramNameIndexed, 1), "Big Drum");
    eventLog().clear();
    dispatch(second, effSetProgram, 0, 1);
    std::vector<float> values(kNumParams, -1.0f);
    for (const auto& [index, value] : editorParameters()) values[index] = value;
    EXPECT_EQ(values, factoryRow(1));
    dispatch(second, effClose);
    EXPECT_EQ(textAnswer(effect, effGetProgramName), "Mine");
}

TEST(ProgramBankTest, OnlyTheExactDefaultNameGetsANumber) {
    ProgramBank bank;
    char out[32];
    for (const char* name : {"user", "User ", "Users", " User"}) {
        bank.rename(10, name);
        bank.displayName(10, out);
        EXPECT_STREQ(out, name);
    }
    bank.rename(10, "User");
    bank.displayName(10, out);
    EXPECT_STREQ(out, "User11");
}

TEST(ProgramBankTest, OutOfRangeRequestsChangeNothing) {
    ProgramBank bank;
    bank.store(16, 0, 0.3f);
    bank.store(-1, 0, 0.3f);
    bank.store(0, 14, 0.3f);
    bank.store(0, -1, 0.3f);
    bank.rename(16, "x");
    bank.rename(0, nullptr);
    EXPECT_STREQ(bank.name(0), "Bass");
    EXPECT_STREQ(bank.name(16), "");
    EXPECT_EQ(bank.value(16, 0), 0.0f);
    EXPECT_EQ(bank.value(0, 14), 0.0f);
    for (int32_t k = 0; k < kNumPrograms; ++k) {
        for (int32_t i = 0; i < kNumParams; ++i) {
            EXPECT_EQ(bank.value(k, i), kFactoryPresetTable[k < 8 ? k : 0].values[i]);
        }
    }
}

}  // namespace
}  // namespace brindlet::test
