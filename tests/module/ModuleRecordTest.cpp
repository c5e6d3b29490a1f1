// The built module from outside: its exports, record, opcode answers, identity and bad requests.
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>

#include "ModuleTestSupport.h"
#include "engine/ParameterIndex.h"
#include "host/MidiEventList.h"
#include "host/SharedLibrary.h"
#include "tests/shell/OpcodeAnswers.h"

namespace brindlet::test {
namespace {

TEST(ModuleExportTest, BothEntryNamesAreTheSameFunctionAndWork) {
    ASSERT_TRUE(loadedModule());  // keeps the module mapped when this second handle closes
    SharedLibrary library;
    std::string error;
    ASSERT_TRUE(library.open(modulePath(), error)) << error;
    void* vstMain = library.symbol("VSTPluginMain");
    void* main = library.symbol("main");
    ASSERT_NE(vstMain, nullptr);
    ASSERT_EQ(main, vstMain);

    PluginHost host;
    host.beginLoading();
    AEffect* effect = reinterpret_cast<VstPluginMainProc>(main)(&PluginHost::callback);
    host.endLoading();
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->magic, kEffectMagic);
    host.attach(effect);
    EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
    host.detach(effect);
}

TEST(ModuleExportTest, HostVersionZeroGetsNoInstance) {
    PluginHost host;
    host.overrideAnswer(audioMasterVersion, 0);
    std::string error;
    EXPECT_FALSE(PluginInstance::create(loadedModule(), host, error));
    const auto requests = host.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].opcode, audioMasterVersion);
    EXPECT_TRUE(requests[0].nullEffect);
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
    EXPECT_EQ(e->initialDelay, 0);
    EXPECT_NE(e->object, nullptr);
    EXPECT_NE(e->object, static_cast<const void*>(e)) << "object is the instance, not the record";
    EXPECT_EQ(e->user, nullptr);
    EXPECT_NE(e->processReplacing, nullptr);
    EXPECT_NE(e->process, nullptr);
    EXPECT_EQ(e->processDoubleReplacing, nullptr);
}

TEST_F(ModuleRecordTest, IdentityAndCanDo) {
    EXPECT_EQ(plugin->effectName(), "Brindlet");
    EXPECT_EQ(plugin->vendorString(), "Korvane");
    EXPECT_EQ(plugin->productString(), "Brindlet 1.0");
    EXPECT_EQ(plugin->vendorVersion(), 0);
    for (const char* yes : {"plugAsChannelInsert", "plugAsSend", "mixDryWet", "receiveVstEvents",
                            "receiveVstMidiEvent"}) {
        EXPECT_EQ(plugin->canDo(yes), 1) << yes;
    }
    for (const char* no : {"sendVstMidiEvent", "bypass", "mixdrywet", "receiveVstTimeInfo"}) {
        EXPECT_EQ(plugin->canDo(no), 0) << no;
    }
}

TEST_F(ModuleRecordTest, EveryOpcodeAnswers) {
    checkOpcodeAnswers([&](int32_t opcode, int32_t index, intptr_t value,
                           void* ptr) { return dispatch(opcode, index, value, ptr, 44100.0f); },
                       [](const OpcodeAnswer& row, intptr_t got) {
                           ADD_FAILURE() << "opcode " << row.opcode << " answered " << got;
                       });
    ERect rect{};
    ASSERT_TRUE(plugin->editorRect(rect));
    EXPECT_EQ(rect.bottom - rect.top, 360);
    EXPECT_EQ(rect.right - rect.left, 465);
    // Keys while no window is open: the editor does not take them.
    EXPECT_EQ(dispatch(effEditKeyDown, 'a', 0), -1);
    EXPECT_EQ(dispatch(effEditKeyUp, 'a', 0), -1);
}

TEST_F(ModuleRecordTest, WildRequestsAnswerSafelyAndChangeNothing) {
    dispatch(effSetProgram, 0, 6);
    plugin->setParameter(kMix, 0.25f);
    const float mix = plugin->getParameter(kMix);
    host.clearRequests();

    char text[64];
    for (int32_t opcode : {-1, INT_MIN, 77, 99, 1000, INT_MAX}) {
        std::memset(text, 0, sizeof text);
        EXPECT_EQ(dispatch(opcode, 3, 7, text, 1.0f), 0) << opcode;
        EXPECT_EQ(text[0], 0);
    }
    for (int32_t index : {-1, 14, 100, INT_MIN, INT_MAX}) {
        plugin->setParameter(index, 0.9f);
        EXPECT_EQ(plugin->getParameter(index), 0.0f) << index;
        EXPECT_EQ(plugin->parameterName(index), "") << index;
        EXPECT_EQ(plugin->parameterDisplay(index), "") << index;
        if (index != 14) {
            EXPECT_EQ(plugin->programNameIndexed(index), "") << index;
        }
    }
    for (intptr_t program : {intptr_t{-1}, intptr_t{16}, intptr_t{INT_MAX}}) {
        dispatch(effSetProgram, 0, program);
    }
    // Every opcode that reads a pointer, given none.
    for (int32_t opcode = effOpen; opcode <= effBeginLoadProgram; ++opcode) {
        if (opcode == effClose || opcode == effSetProgram || opcode == effMainsChanged) continue;
        dispatch(opcode, 0, 0, nullptr, 0.0f);
    }
    EXPECT_EQ(plugin->program(), 6);
    EXPECT_EQ(plugin->programName(), "Flanger");
    EXPECT_EQ(plugin->getParameter(kMix), mix);
    EXPECT_EQ(host.countOf(audioMasterAutomate), 0u);
}

TEST_F(ModuleRecordTest, BadEventListsAndBlocksCrashNothing) {
    plugin->start(44100.0f, 64);
    EXPECT_EQ(plugin->processEvents(nullptr), 0);
    MidiEventList events;
    events.noteOn(0, 48, 100);
    VstEvents* list = events.get();
    list->numEvents = -3;
    EXPECT_EQ(plugin->processEvents(list), 0);
    list->numEvents = INT_MAX;
    EXPECT_EQ(plugin->processEvents(list), 0);
    list->numEvents = 1;
    list->events[0] = nullptr;
    EXPECT_EQ(plugin->processEvents(list), 1);
    EXPECT_EQ(host.countOf(audioMasterAutomate), 0u);

    StereoBuffer in(64, 0.5f), out(64);
    for (int32_t frames : {0, -1, INT_MIN}) {
        effect()->processReplacing(effect(), in.channels(), out.channels(), frames);
        effect()->process(effect(), in.channels(), out.channels(), frames);
    }
    float* missing[2] = {in.left.data(), nullptr};
    effect()->processReplacing(effect(), missing, out.channels(), 64);
    effect()->processReplacing(effect(), in.channels(), missing, 64);
    effect()->processReplacing(effect(), nullptr, nullptr, 64);
    for (float s : out.left) EXPECT_EQ(s, 0.0f);
}

TEST_F(ModuleRecordTest, SeveralInstancesAreIndependent) {
    PluginHost otherHost;
    std::string error;
    auto other = PluginInstance::create(loadedModule(), otherHost, error);
    ASSERT_TRUE(other) << error;
    EXPECT_NE(other->effect(), effect());
    EXPECT_NE(other->effect()->object, effect()->object);

    dispatch(effSetProgram, 0, 2);
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
