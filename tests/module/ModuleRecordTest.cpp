// The built module from outside: its exports, record, every opcode's answer, identity and bad
// input.
#include <climits>
#include <cstring>
#include <set>

#include "ModuleTestSupport.h"
#include "engine/ParameterIndex.h"
#include "host/SharedLibrary.h"

namespace brindlet::test {
namespace {

TEST(ModuleExportTest, BothEntryNamesAreTheSameFunction) {
    ASSERT_TRUE(loadedModule());  // keeps the module mapped when this second handle closes
    SharedLibrary library;
    std::string error;
    ASSERT_TRUE(library.open(modulePath(), error)) << error;
    ASSERT_NE(library.symbol("VSTPluginMain"), nullptr);
    EXPECT_EQ(library.symbol("main"), library.symbol("VSTPluginMain"));
}

using ModuleRecordTest = ModuleTest;

TEST_F(ModuleRecordTest, RecordHoldsTheFinalValues) {
    const AEffect* e = effect();
    EXPECT_EQ(e->magic, 0x56737450);
    EXPECT_EQ(e->numPrograms, 16);
    EXPECT_EQ(e->numParams, 14);
    EXPECT_EQ(e->numInputs, 2);
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(e->flags, 0x19);
    EXPECT_EQ(e->uniqueID, 0x6a373736);
    EXPECT_EQ(e->version, 1);
    EXPECT_EQ(e->ioRatio, 1.0f);
    EXPECT_EQ(e->initialDelay + e->realQualities + e->offQualities + e->resvd1 + e->resvd2, 0);
    for (char c : e->future) EXPECT_EQ(c, 0);
    EXPECT_NE(e->object, nullptr);
    EXPECT_NE(e->object, static_cast<const void*>(e)) << "object is the instance, not the record";
    EXPECT_EQ(e->user, nullptr);
    EXPECT_NE(e->processReplacing, nullptr);
    EXPECT_NE(e->process, nullptr);
    EXPECT_EQ(e->processDoubleReplacing, nullptr);
}

struct OpcodeAnswer {
    int32_t opcode;
    intptr_t answer;
    int32_t index = 0;
    intptr_t value = 0;
};

// Requests without a lasting effect, so they can run in any order on a fresh instance. Each gets
// a text buffer; listing them one by one catches answers shifted against their opcodes. No
// window is open, so the editor takes no keys; the last seven are in neither table.
// clang-format off
constexpr OpcodeAnswer kOpcodeAnswers[] = {
    {effOpen, 0}, {effGetProgram, 0}, {effGetProgramName, 0}, {effGetParamLabel, 0},
    {effGetParamDisplay, 0}, {effGetParamName, 0}, {effGetVu, 0}, {effSetBlockSize, 0, 0, 512},
    {effMainsChanged, 0}, {effEditDraw, 0}, {effEditMouse, 0}, {effEditKey, 0}, {effEditIdle, 0},
    {effEditTop, 0}, {effEditSleep, 0}, {effIdentify, 0x4e764566}, {effSetChunk, 0, 0, 16},
    {effCanBeAutomated, 1, 99}, {effCanBeAutomated, 1, -5}, {effString2Parameter, 0},
    {effGetNumProgramCategories, 1}, {effGetProgramNameIndexed, 1}, {effCopyProgram, 0, 1},
    {effConnectInput, 1, 0, 1}, {effConnectOutput, 1, 1}, {effGetInputProperties, 0},
    {effGetOutputProperties, 0}, {effGetPlugCategory, 1}, {effGetCurrentPosition, 0},
    {effGetDestinationBuffer, 0}, {effOfflineNotify, 0}, {effOfflinePrepare, 0},
    {effOfflineRun, 0}, {effProcessVarIo, 0}, {effSetSpeakerArrangement, 0},
    {effSetBlockSizeAndSampleRate, 1, 0, 256}, {effSetBypass, 0, 0, 1}, {effGetEffectName, 1},
    {effGetErrorText, 0}, {effGetVendorString, 1}, {effGetProductString, 1},
    {effGetVendorVersion, 0}, {effVendorSpecific, 0, 1, 2}, {effGetTailSize, 0}, {effIdle, 0},
    {effGetIcon, 0}, {effSetViewPosition, 0, 10, 10}, {effGetParameterProperties, 0},
    {effKeysRequired, 1}, {effGetVstVersion, 2300}, {effSetEditKnobMode, 1, 0, 2},
    {effEditKeyDown, -1, 'a'}, {effEditKeyUp, -1, 'a'}, {effGetMidiProgramName, 0},
    {effGetCurrentMidiProgram, -1}, {effGetMidiProgramCategory, 0}, {effHasMidiProgramsChanged, 0},
    {effGetMidiKeyName, 0}, {effBeginSetProgram, 0}, {effEndSetProgram, 0},
    {effShellGetNextPlugin, 0}, {effStartProcess, 0}, {effStopProcess, 0},
    {effSetTotalSampleToProcess, 4096, 0, 4096}, {effSetPanLaw, 0}, {effBeginLoadBank, 0},
    {effBeginLoadProgram, 0}, {-1, 0}, {-25, 0}, {77, 0}, {78, 0}, {1000, 0}, {INT_MIN, 0},
    {INT_MAX, 0}};
// clang-format on

TEST_F(ModuleRecordTest, EveryOpcodeAnswers) {
    for (const OpcodeAnswer& row : kOpcodeAnswers) {
        char text[64] = {};
        EXPECT_EQ(dispatch(row.opcode, row.index, row.value, text, 44100.0f), row.answer)
            << "opcode " << row.opcode;
        const bool unknown = row.opcode < 0 || row.opcode > effBeginLoadProgram;
        EXPECT_TRUE(!unknown || text[0] == 0) << "opcode " << row.opcode << " wrote text";
    }
    void* slot = nullptr;
    EXPECT_EQ(dispatch(effGetChunk, 0, 0, &slot), 0);
    EXPECT_EQ(slot, nullptr);
    EXPECT_EQ(dispatch(effEditGetRect, 0, 0, &slot), 1);
    ERect rect{};
    ASSERT_TRUE(plugin->editorRect(rect));
    EXPECT_EQ(rect.bottom - rect.top, 360);
    EXPECT_EQ(rect.right - rect.left, 465);
    // The speaker arrangement has none: null is stored through both addresses.
    void* input = &slot;
    void* output = &slot;
    EXPECT_EQ(dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&input), &output),
              0);
    EXPECT_EQ(input, nullptr);
    EXPECT_EQ(output, nullptr);
}

TEST_F(ModuleRecordTest, IdentityAndCanDo) {
    EXPECT_EQ(plugin->effectName(), "Brindlet");
    EXPECT_EQ(plugin->vendorString(), "Korvane");
    EXPECT_EQ(plugin->productString(), "Brindlet 1.0");
    for (const char* yes : {"plugAsChannelInsert", "plugAsSend", "mixDryWet", "receiveVstEvents",
                            "receiveVstMidiEvent"}) {
        EXPECT_EQ(plugin->canDo(yes), 1) << yes;
    }
    for (const char* no : {"sendVstMidiEvent", "bypass", "mixdrywet", "", "mixDryWet ",
                           "receiveVstEvent", "receiveVstMidiEvents", "receiveVstTimeInfo"}) {
        EXPECT_EQ(plugin->canDo(no), 0) << no;
    }
}

// Fills a buffer beyond 24 bytes with a marker: nothing past the 24th byte may change, and
// whatever was written ends within those 24 bytes.
void expectBoundedText(ModuleTest& test, int32_t opcode, int32_t index) {
    unsigned char buffer[96];
    std::memset(buffer, 0xA5, sizeof buffer);
    test.dispatch(opcode, index, 0, buffer);
    for (size_t i = 24; i < sizeof buffer; ++i)
        ASSERT_EQ(buffer[i], 0xA5) << "opcode " << opcode << " index " << index << " byte " << i;
    EXPECT_TRUE(buffer[0] == 0xA5 || std::memchr(buffer, 0, 24)) << opcode << " " << index;
}

TEST_F(ModuleRecordTest, TextRequestsWriteAtMost24Bytes) {
    const std::string longName(80, 'n');
    for (int32_t program = 0; program < 16; ++program) {
        plugin->setProgram(program);
        if (program % 3 == 0)
            dispatch(effSetProgramName, 0, 0, const_cast<char*>(longName.c_str()));
        expectBoundedText(*this, effGetProgramName, 0);
    }
    for (float huge : {3e38f, -3e38f}) {  // the longest figures
        for (int32_t i = 0; i < kNumParams; ++i) plugin->setParameter(i, huge);
        for (int32_t index = -3; index < 45; ++index) {
            for (int32_t opcode :
                 {effGetParamName, effGetParamDisplay, effGetParamLabel, effGetProgramNameIndexed})
                expectBoundedText(*this, opcode, index);
        }
    }
    for (int32_t opcode : {effGetEffectName, effGetVendorString, effGetProductString})
        expectBoundedText(*this, opcode, 0);
}

TEST_F(ModuleRecordTest, WildIndicesAndNullPointersChangeNothing) {
    plugin->setProgram(6);
    plugin->setParameter(kMix, 0.25f);
    const float mix = plugin->getParameter(kMix);
    host.clearRequests();
    for (int32_t index : {-1, 14, 100, INT_MIN, INT_MAX}) {
        plugin->setParameter(index, 0.9f);
        EXPECT_EQ(plugin->getParameter(index), 0.0f) << index;
        EXPECT_EQ(plugin->parameterName(index), "") << index;
        EXPECT_EQ(plugin->parameterDisplay(index), "") << index;
        bool ok = true;
        EXPECT_EQ(plugin->programNameIndexed(index, &ok), index == 14 ? "User" : "") << index;
        EXPECT_EQ(ok, index == 14) << index;  // program 14 exists
    }
    // The last one does not fit 32 bits where intptr_t is 64 bits wide; on 32-bit builds the
    // smallest value takes its place.
    const intptr_t huge =
        sizeof(intptr_t) > 4 ? static_cast<intptr_t>(int64_t{1} << 40) : INTPTR_MIN;
    for (intptr_t program : {intptr_t{-1}, intptr_t{16}, intptr_t{INT_MAX}, huge})
        dispatch(effSetProgram, 0, program);
    // clang-format off
    const std::set<int32_t> readsPointer = {
        effSetProgramName, effGetProgramName, effGetParamLabel, effGetParamDisplay,
        effGetParamName, effEditGetRect, effEditOpen, effGetChunk, effProcessEvents,
        effString2Parameter, effGetProgramNameIndexed, effGetInputProperties,
        effGetOutputProperties, effGetEffectName, effGetErrorText, effGetVendorString,
        effGetProductString, effCanDo, effGetParameterProperties, effGetMidiKeyName,
        effGetSpeakerArrangement, effShellGetNextPlugin};
    // clang-format on
    for (int32_t opcode = effOpen; opcode <= effBeginLoadProgram; ++opcode) {
        if (opcode == effClose || opcode == effSetProgram || opcode == effMainsChanged) continue;
        for (int32_t index : {0, 1, 13}) {
            const intptr_t answer = dispatch(opcode, index, 0, nullptr, 0.0f);
            EXPECT_TRUE(answer == 0 || !readsPointer.count(opcode)) << "opcode " << opcode;
        }
    }
    // Entries called without a record do nothing.
    AEffect* e = effect();
    EXPECT_EQ(e->dispatcher(nullptr, effGetVstVersion, 0, 0, nullptr, 0.0f), 0);
    e->setParameter(nullptr, kMix, 0.5f);
    EXPECT_EQ(e->getParameter(nullptr, kMix), 0.0f);
    e->processReplacing(nullptr, nullptr, nullptr, 64);
    e->process(nullptr, nullptr, nullptr, 64);

    EXPECT_EQ(plugin->program(), 6);
    EXPECT_EQ(plugin->programName(), "Flanger");
    EXPECT_EQ(plugin->getParameter(kMix), mix);
    EXPECT_EQ(host.countOf(audioMasterAutomate), 0u);
}

// Event lists are host memory of any quality: none may crash or play a note.
TEST_F(ModuleRecordTest, BadEventListsPlayNothing) {
    plugin->start(44100.0f, 64);
    host.clearRequests();
    EXPECT_EQ(plugin->processEvents(nullptr), 0);
    VstMidiEvent noteOn{kVstMidiType, 24, 0, 0, 0, 0, {char(0x90), 48, 100, 0}, 0, 0, 0, 0};
    VstEvent sysex{kVstSysExType, 16, 0, 0, {}};
    struct {
        VstEvents head;
        VstEvent* more[4];
    } list{};
    list.head.events[0] = reinterpret_cast<VstEvent*>(&noteOn);
    for (int32_t count : {-3, INT_MAX}) {
        list.head.numEvents = count;
        EXPECT_EQ(plugin->processEvents(&list.head), 0) << count;
    }
    list.head.numEvents = 0;
    EXPECT_EQ(plugin->processEvents(&list.head), 1);
    list.head.numEvents = 3;
    list.head.events[0] = nullptr;
    list.head.events[1] = &sysex;
    EXPECT_EQ(plugin->processEvents(&list.head), 1);
    EXPECT_TRUE(host.requests().empty()) << "a refused or empty list plays no note";
}

TEST_F(ModuleRecordTest, SeveralInstancesAreIndependent) {
    PluginHost otherHost;
    std::string error;
    auto other = PluginInstance::create(loadedModule(), otherHost, error);
    ASSERT_TRUE(other) << error;
    EXPECT_NE(other->effect(), effect());
    EXPECT_NE(other->effect()->object, effect()->object);

    plugin->setProgram(2);
    char name[] = "Only Here";
    dispatch(effSetProgramName, 0, 0, name);
    plugin->setParameter(kEnvMod, 0.9f);
    other->start(48000.0f, 128);

    EXPECT_EQ(other->program(), 0);
    EXPECT_EQ(other->programNameIndexed(2), "Electro Drum");
    other->setProgram(2);
    EXPECT_NE(other->getParameter(kEnvMod), plugin->getParameter(kEnvMod));
    EXPECT_EQ(host.countOf(audioMasterWantMidi), 1u) << "only its own requests reach each host";
    EXPECT_EQ(otherHost.countOf(audioMasterWantMidi), 2u);

    other->close();
    EXPECT_EQ(plugin->programName(), "Only Here");
}

}  // namespace
}  // namespace brindlet::test
