// The record, the two opcode tables and their answers, bad requests and the editor opcodes.
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>

#include "ShellTestSupport.h"
#include "tests/shell/OpcodeAnswers.h"

namespace brindlet::test {
namespace {

using DispatcherTest = ShellTest;

TEST_F(DispatcherTest, RecordHoldsTheFinalValues) {
    EXPECT_EQ(effect->magic, 0x56737450);
    EXPECT_EQ(effect->numPrograms, 16);
    EXPECT_EQ(effect->numParams, 14);
    EXPECT_EQ(effect->numInputs, 2);
    EXPECT_EQ(effect->numOutputs, 2);
    EXPECT_EQ(effect->flags, 0x19);
    EXPECT_EQ(effect->uniqueID, 0x6a373736);
    EXPECT_EQ(effect->version, 1);
    EXPECT_EQ(effect->ioRatio, 1.0f);
    EXPECT_EQ(effect->initialDelay, 0);
    EXPECT_EQ(effect->realQualities, 0);
    EXPECT_EQ(effect->offQualities, 0);
    EXPECT_EQ(effect->resvd1, 0);
    EXPECT_EQ(effect->resvd2, 0);
    EXPECT_EQ(effect->object, static_cast<void*>(&instance()));
    EXPECT_EQ(effect->user, nullptr);
    EXPECT_NE(effect->process, nullptr);
    EXPECT_NE(effect->processReplacing, nullptr);
    EXPECT_EQ(effect->processDoubleReplacing, nullptr);
    for (char c : effect->future) EXPECT_EQ(c, 0);
    EXPECT_EQ(instance().getEditor() != nullptr, true);
}

// Catches rows shifted against their opcodes: each opcode with a fixed answer, one by one.
TEST_F(DispatcherTest, EveryFixedAnswerSitsAtItsOpcode) {
    checkOpcodeAnswers(
        [&](int32_t opcode, int32_t index, intptr_t value, void* ptr) {
            return dispatch(effect, opcode, index, value, ptr, 44100.0f);
        },
        [](const OpcodeAnswer& row, intptr_t got) {
            ADD_FAILURE() << "opcode " << row.opcode << " answered " << got;
        });
    EXPECT_EQ(effect->flags & effFlagsProgramChunks, 0);
}

TEST_F(DispatcherTest, OpcodesOutsideBothTablesAnswerZeroAndChangeNothing) {
    dispatch(effect, effSetProgram, 0, 3);
    eventLog().clear();
    char buffer[64] = {};
    for (int32_t opcode : {-1, -25, 77, 78, 1000, INT_MIN, INT_MAX}) {
        EXPECT_EQ(dispatch(effect, opcode, 5, 1, buffer, 1.0f), 0) << opcode;
    }
    EXPECT_EQ(buffer[0], 0);
    EXPECT_TRUE(eventLog().empty());
    EXPECT_EQ(dispatch(effect, effGetProgram), 3);
}

TEST_F(DispatcherTest, IdentityTexts) {
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(dispatch(effect, effGetEffectName, 0, 0, buffer), 1);
    EXPECT_STREQ(buffer, "Brindlet");
    EXPECT_EQ(dispatch(effect, effGetVendorString, 0, 0, buffer), 1);
    EXPECT_STREQ(buffer, "Korvane");
    EXPECT_EQ(dispatch(effect, effGetProductString, 0, 0, buffer), 1);
    EXPECT_STREQ(buffer, "Brindlet 1.0");
}

TEST_F(DispatcherTest, CanDoMatchesTheListExactly) {
    for (const char* yes : {"plugAsChannelInsert", "plugAsSend", "mixDryWet", "receiveVstEvents",
                            "receiveVstMidiEvent"}) {
        EXPECT_EQ(dispatch(effect, effCanDo, 0, 0, const_cast<char*>(yes)), 1) << yes;
    }
    for (const char* no : {"sendVstMidiEvent", "bypass", "mixdrywet", "", "mixDryWet ",
                           "receiveVstEvent", "receiveVstMidiEvents", "plugAsSendX"}) {
        EXPECT_EQ(dispatch(effect, effCanDo, 0, 0, const_cast<char*>(no)), 0) << no;
    }
}

// Fills a buffer beyond 24 bytes with a marker and checks that nothing past the 24th changed and
// that whatever was written ends within those 24 bytes.
void expectBoundedText(AEffect* effect, int32_t opcode, int32_t index, intptr_t value = 0) {
    unsigned char buffer[96];
    std::memset(buffer, 0xA5, sizeof buffer);
    dispatch(effect, opcode, index, value, buffer);
    for (size_t i = kMaxTextBytes; i < sizeof buffer; ++i) {
        ASSERT_EQ(buffer[i], 0xA5) << "opcode " << opcode << " index " << index << " byte " << i;
    }
    if (buffer[0] != 0xA5) {
        EXPECT_NE(std::memchr(buffer, 0, kMaxTextBytes), nullptr)
            << "opcode " << opcode << " index " << index;
    }
}

TEST_F(DispatcherTest, TextRequestsWriteAtMost24Bytes) {
    char longName[80];
    std::memset(longName, 'n', sizeof longName - 1);
    longName[sizeof longName - 1] = '\0';
    for (int32_t program = 0; program < 16; ++program) {
        dispatch(effect, effSetProgram, 0, program);
        if (program % 3 == 0) dispatch(effect, effSetProgramName, 0, 0, longName);
        expectBoundedText(effect, effGetProgramName, 0);
        expectBoundedText(effect, effGetProgramNameIndexed, program);
    }
    for (int32_t index = -3; index < 45; ++index) {
        expectBoundedText(effect, effGetParamName, index);
        expectBoundedText(effect, effGetParamDisplay, index);
        expectBoundedText(effect, effGetParamLabel, index);
        expectBoundedText(effect, effGetProgramNameIndexed, index, 7);
    }
    for (int32_t opcode : {effGetEffectName, effGetVendorString, effGetProductString}) {
        expectBoundedText(effect, opcode, 0);
    }
}

TEST_F(DispatcherTest, NullPointersWriteNothingAndAnswerNo) {
    const int32_t opcodes[] = {
        effSetProgramName,
        effGetProgramName,
        effGetParamLabel,
        effGetParamDisplay,
        effGetParamName,
        effEditGetRect,
        effEditOpen,
        effGetChunk,
        effProcessEvents,
        effString2Parameter,
        effGetProgramNameIndexed,
        effGetInputProperties,
        effGetOutputProperties,
        effGetEffectName,
        effGetErrorText,
        effGetVendorString,
        effGetProductString,
        effCanDo,
        effGetParameterProperties,
        effGetMidiKeyName,
        effGetSpeakerArrangement,
        effShellGetNextPlugin,
    };
    for (int32_t opcode : opcodes) {
        for (int32_t index : {0, 1, 13}) {
            EXPECT_EQ(dispatch(effect, opcode, index, 0, nullptr), 0) << "opcode " << opcode;
        }
    }
    char name[32] = {};
    dispatch(effect, effGetProgramName, 0, 0, name);
    EXPECT_STREQ(name, "Bass");
}

TEST_F(DispatcherTest, SpeakerArrangementStoresNullThroughBothAddresses) {
    int dummy = 0;
    void* input = &dummy;
    void* output = &dummy;
    EXPECT_EQ(
        dispatch(effect, effGetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&input), &output),
        0);
    EXPECT_EQ(input, nullptr);
    EXPECT_EQ(output, nullptr);
    output = &dummy;
    EXPECT_EQ(dispatch(effect, effGetSpeakerArrangement, 0, 0, &output), 0);
    EXPECT_EQ(output, nullptr);
}

TEST_F(DispatcherTest, EditorOpcodesReachTheEditor) {
    ERect* rect = nullptr;
    EXPECT_EQ(dispatch(effect, effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 360);
    EXPECT_EQ(rect->right, 465);

    int parent = 0;
    EXPECT_EQ(dispatch(effect, effEditOpen, 0, 0, &parent), 1);
    EXPECT_NE(instance().getEditor()->getFrame(), nullptr);
    EXPECT_EQ(dispatch(effect, effEditClose), 0);
    EXPECT_EQ(instance().getEditor()->getFrame(), nullptr);

    eventLog().clear();
    EXPECT_EQ(dispatch(effect, effEditKeyDown, 'a', VKEY_RETURN | 0x300, nullptr, 9.0f), -1);
    ASSERT_EQ(eventLog().size(), 1u);
    const KeyCode key = eventLog()[0].key;
    EXPECT_EQ(key.character, 'a');
    EXPECT_EQ(key.virt, VKEY_RETURN);
    EXPECT_EQ(key.modifier, 9);
    EXPECT_EQ(dispatch(effect, effEditKeyUp, 'a', 0, nullptr, 0.0f), -1);
    // A modifier that is no number must not reach a float-to-integer conversion unchecked.
    dispatch(effect, effEditKeyDown, 0, 0, nullptr, std::numeric_limits<float>::quiet_NaN());
    dispatch(effect, effEditKeyDown, 0, 0, nullptr, 1e30f);
    EXPECT_EQ(eventLog().back().key.modifier, 0);
}

// The base alone has no editor: every editor opcode answers 0.
class BareEffect : public EffectBase {
public:
    BareEffect() : EffectBase(nullptr, 16, 14) {}
    float rate() const { return sampleRate.load(); }
    int32_t block() const { return blockSize.load(); }
};

TEST(DispatcherWithoutEditorTest, EditorOpcodesAnswerZero) {
    BareEffect bare;
    ERect* rect = nullptr;
    int parent = 0;
    EXPECT_EQ(bare.dispatcher(effEditGetRect, 0, 0, &rect, 0.0f), 0);
    EXPECT_EQ(rect, nullptr);
    EXPECT_EQ(bare.dispatcher(effEditOpen, 0, 0, &parent, 0.0f), 0);
    EXPECT_EQ(bare.dispatcher(effEditClose, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(bare.dispatcher(effEditIdle, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(bare.dispatcher(effEditKeyDown, 'a', 1, nullptr, 0.0f), 0);
    EXPECT_EQ(bare.dispatcher(effEditKeyUp, 'a', 1, nullptr, 0.0f), 0);
    EXPECT_EQ(bare.dispatcher(effSetEditKnobMode, 0, 1, nullptr, 0.0f), 0);
    EXPECT_EQ(bare.getAEffect()->flags & effFlagsHasEditor, 0);
}

TEST(DispatcherWithoutEditorTest, SampleRateAndBlockSizeKeepOnlyUsableRates) {
    BareEffect bare;
    EXPECT_EQ(bare.rate(), 44100.0f);
    EXPECT_EQ(bare.block(), 1024);
    bare.dispatcher(effSetSampleRate, 0, 0, nullptr, 48000.0f);
    EXPECT_EQ(bare.rate(), 48000.0f);
    for (float bad : {0.0f, -44100.0f, std::numeric_limits<float>::quiet_NaN(),
                      std::numeric_limits<float>::infinity()}) {
        bare.dispatcher(effSetSampleRate, 0, 0, nullptr, bad);
        EXPECT_EQ(bare.rate(), 48000.0f);
    }
    bare.dispatcher(effSetBlockSize, 0, 64, nullptr, 0.0f);
    EXPECT_EQ(bare.block(), 64);
    EXPECT_EQ(bare.dispatcher(effSetBlockSizeAndSampleRate, 0, 256, nullptr, 96000.0f), 1);
    EXPECT_EQ(bare.block(), 256);
    EXPECT_EQ(bare.rate(), 96000.0f);
    EXPECT_EQ(bare.dispatcher(effSetBlockSizeAndSampleRate, 0, 128, nullptr, -1.0f), 1);
    EXPECT_EQ(bare.block(), 128);
    EXPECT_EQ(bare.rate(), 96000.0f);
}

// effClose reaches the instance once, then the entry destroys it and answers 1.
class ClosingEffect : public EffectBase {
public:
    explicit ClosingEffect(std::vector<std::string>& log) : EffectBase(nullptr, 16, 14), log(log) {}
    ~ClosingEffect() override { log.push_back("destroyed"); }

protected:
    void close() override { log.push_back("close"); }

private:
    std::vector<std::string>& log;
};

TEST(DispatcherEntryTest, CloseReachesTheInstanceOnceThenDestroysIt) {
    std::vector<std::string> log;
    AEffect* record = (new ClosingEffect(log))->getAEffect();
    EXPECT_EQ(record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(log, (std::vector<std::string>{"close", "destroyed"}));
}

TEST(DispatcherEntryTest, EntriesWithoutARecordDoNothing) {
    BareEffect bare;
    AEffect* record = bare.getAEffect();
    EXPECT_EQ(record->dispatcher(nullptr, effGetVstVersion, 0, 0, nullptr, 0.0f), 0);
    record->setParameter(nullptr, 0, 0.5f);
    EXPECT_EQ(record->getParameter(nullptr, 0), 0.0f);
    record->processReplacing(nullptr, nullptr, nullptr, 64);
    record->process(nullptr, nullptr, nullptr, 64);
    EXPECT_EQ(record->dispatcher(record, effGetVstVersion, 0, 0, nullptr, 0.0f), 2300);
}

TEST_F(DispatcherTest, ProcessWithMissingChannelsDoesNothing) {
    float left[8] = {}, right[8] = {};
    float* channels[2] = {left, nullptr};
    float* good[2] = {left, right};
    dispatch(effect, effMainsChanged, 0, 1);
    effect->processReplacing(effect, channels, good, 8);
    effect->processReplacing(effect, good, channels, 8);
    effect->process(effect, nullptr, good, 8);
    effect->process(effect, good, nullptr, 8);
    for (float s : right) EXPECT_EQ(s, 0.0f);
}

}  // namespace
}  // namespace brindlet::test
