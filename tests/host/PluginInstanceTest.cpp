// PluginInstance against the fake module: helpers reach the right opcodes and texts stay bounded.
#include <gtest/gtest.h>

#include <vector>

#include "host/MidiEventList.h"
#include "host/PluginInstance.h"
#include "tests/host/FakeModules.h"

namespace brindlet {
namespace {

class PluginInstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        module = PluginModule::load(test::fakeModule("good"), error);
        ASSERT_TRUE(module) << error;
        plugin = PluginInstance::create(module, host, error);
        ASSERT_TRUE(plugin) << error;
    }

    std::shared_ptr<PluginModule> module;
    PluginHost host;
    std::unique_ptr<PluginInstance> plugin;
};

TEST_F(PluginInstanceTest, CreationRequestsAreRecordedInOrder) {
    auto requests = host.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].opcode, audioMasterVersion);
    EXPECT_TRUE(requests[0].nullEffect);
    EXPECT_EQ(requests[1].opcode, audioMasterWantMidi);
    EXPECT_FALSE(requests[1].nullEffect);
    EXPECT_EQ(requests[1].effect, plugin->effect());
    EXPECT_EQ(requests[1].value, 1);
}

TEST_F(PluginInstanceTest, ReadsIdentityNamesAndPrograms) {
    EXPECT_EQ(plugin->effectName(), "Fake Effect");
    EXPECT_EQ(plugin->vendorString(), "Test Vendor");
    EXPECT_EQ(plugin->productString(), "Fake 1.0");
    EXPECT_EQ(plugin->vendorVersion(), 1234);
    EXPECT_EQ(plugin->parameterName(0), "Gain  ");
    EXPECT_EQ(plugin->parameterDisplay(0), "0.50");
    EXPECT_EQ(plugin->parameterLabel(0), "dB");
    EXPECT_EQ(plugin->canDo("receiveVstMidiEvent"), 1);
    EXPECT_EQ(plugin->canDo("bypass"), -1);

    bool ok = false;
    EXPECT_EQ(plugin->programNameIndexed(2, &ok), "Program 2");
    EXPECT_TRUE(ok);
    EXPECT_EQ(plugin->programNameIndexed(3, &ok), "");
    EXPECT_FALSE(ok);
    plugin->setProgram(1);
    EXPECT_EQ(plugin->program(), 1);
    EXPECT_EQ(plugin->programName(), "Program 1");
    ERect rect{};
    EXPECT_FALSE(plugin->editorRect(rect));
}

TEST_F(PluginInstanceTest, OverlongUnterminatedTextIsCut) {
    std::string name = plugin->parameterName(1);
    EXPECT_EQ(name, std::string(PluginInstance::kTextSize - 1, 'x'));
}

TEST_F(PluginInstanceTest, ProcessesAudioAndDeliversEvents) {
    plugin->start(48000.0f, 64);
    EXPECT_EQ(host.sampleRate(), 48000.0f);
    EXPECT_EQ(host.blockSize(), 64);
    plugin->setParameter(0, 1.0f);
    EXPECT_EQ(plugin->getParameter(0), 1.0f);

    std::vector<float> inL(64, 0.25f), inR(64, -0.5f), outL(64), outR(64);
    float* ins[] = {inL.data(), inR.data()};
    float* outs[] = {outL.data(), outR.data()};
    plugin->processReplacing(ins, outs, 64);
    EXPECT_EQ(outL[63], 0.5f);
    EXPECT_EQ(outR[0], -1.0f);

    MidiEventList events;
    for (uint8_t note = 30; note < 50; ++note) events.noteOn(0, note, 100);
    events.noteOff(5, 49);
    EXPECT_EQ(plugin->processEvents(events.get()), 1);
    EXPECT_EQ(plugin->getParameter(100), 21.0f);
    EXPECT_EQ(plugin->getParameter(101), 49.0f);
}

TEST_F(PluginInstanceTest, ClosedInstanceIgnoresCalls) {
    plugin->start(44100.0f, 32);
    plugin->close();
    EXPECT_EQ(plugin->effect(), nullptr);
    EXPECT_EQ(plugin->dispatcher(effGetProgram), 0);
    EXPECT_EQ(plugin->getParameter(0), 0.0f);
    EXPECT_EQ(plugin->effectName(), "");
    plugin->close();
}

TEST_F(PluginInstanceTest, SeveralInstancesReachTheirOwnHosts) {
    PluginHost other;
    std::string error;
    auto second = PluginInstance::create(module, other, error);
    ASSERT_TRUE(second) << error;
    host.clearRequests();
    second->dispatcher(effVendorSpecific, 3, 0, nullptr, 0.75f);
    EXPECT_EQ(host.countOf(audioMasterAutomate), 0u);
    ASSERT_EQ(other.countOf(audioMasterAutomate), 1u);
    EXPECT_EQ(other.requests().back().opt, 0.75f);
    EXPECT_EQ(other.requests().back().index, 3);
}

}  // namespace
}  // namespace brindlet
