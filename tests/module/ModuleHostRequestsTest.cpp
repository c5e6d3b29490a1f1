// What the module asks of its host, in order, and audio through both process entries.
#include <cmath>

#include "ModuleTestSupport.h"
#include "engine/ParameterIndex.h"
#include "host/MidiEventList.h"

namespace brindlet::test {
namespace {

using ModuleHostRequestsTest = ModuleTest;

TEST_F(ModuleHostRequestsTest, VersionWithNoRecordFirstThenMidiAtCreationAndEveryMainsOn) {
    auto requests = host.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].opcode, audioMasterVersion);
    EXPECT_TRUE(requests[0].nullEffect);
    EXPECT_EQ(requests[1].opcode, audioMasterWantMidi);
    EXPECT_EQ(requests[1].effect, effect());
    EXPECT_EQ(requests[1].value, 1);

    host.clearRequests();
    plugin->start(44100.0f, 256);
    plugin->mainsOff();
    plugin->mainsOn();
    requests = host.requests();
    ASSERT_EQ(requests.size(), 2u);
    for (const HostRequest& r : requests) {
        EXPECT_EQ(r.opcode, audioMasterWantMidi);
        EXPECT_EQ(r.value, 1);
        EXPECT_EQ(r.effect, effect());
    }
}

// A note-on changes Pitch/ End first and then tells the host, so the host can read it back.
// Program selections and the host's own parameter changes are never automated.
TEST_F(ModuleHostRequestsTest, OnlyNoteOnsAreAutomated) {
    plugin->start(44100.0f, 256);
    host.clearRequests();
    for (int32_t k = 0; k < 16; ++k) plugin->setProgram(k);
    plugin->setProgram(0);
    plugin->setParameter(kMix, 0.5f);
    EXPECT_TRUE(host.requests().empty());

    std::vector<std::pair<HostRequest, float>> automated;
    host.setObserver([&](const HostRequest& r) {
        automated.emplace_back(
            r, r.opcode == audioMasterAutomate ? plugin->getParameter(r.index) : -1.0f);
    });
    MidiEventList events;
    events.noteOn(0, 48, 100);
    events.noteOff(10, 48, 64);
    events.noteOn(20, 61, 100);     // above 60: nothing
    events.noteOn(30, 30, 0);       // velocity 0 is a note-off
    events.noteOn(40, 36, 1, 5);    // any channel
    events.add(50, 0xB0, 48, 100);  // a controller: nothing
    EXPECT_EQ(plugin->processEvents(events.get()), 1);
    host.setObserver(nullptr);

    ASSERT_EQ(automated.size(), 2u) << "nothing else was sent";
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(automated[i].first.opcode, audioMasterAutomate);
        EXPECT_EQ(automated[i].first.index, kPitchEnd);
        EXPECT_FLOAT_EQ(automated[i].first.opt, i == 0 ? 0.5f : 0.25f);
        EXPECT_EQ(automated[i].second, automated[i].first.opt) << "read back during the request";
    }
    // The note was written back into the current program like any parameter change.
    plugin->setProgram(3);
    plugin->setProgram(0);
    EXPECT_FLOAT_EQ(plugin->getParameter(kPitchEnd), 0.25f);
}

// A drum-like input: short decaying bursts four times a second.
void fillBursts(StereoBuffer& buffer, size_t offset) {
    for (size_t i = 0; i < buffer.left.size(); ++i) {
        const size_t t = (offset + i) % 11025;
        const float tone = std::exp(-static_cast<float>(t) / 800.0f) *
                           std::sin(0.05f * static_cast<float>(offset + i));
        buffer.left[i] = 0.8f * tone;
        buffer.right[i] = 0.6f * tone;
    }
}

// The accumulating entry adds exactly what the replacing entry stores, and neither is silent.
TEST_F(ModuleHostRequestsTest, BothProcessEntriesAgree) {
    PluginHost otherHost;
    std::string error;
    auto twin = PluginInstance::create(loadedModule(), otherHost, error);
    ASSERT_TRUE(twin) << error;
    for (PluginInstance* p : {plugin.get(), twin.get()}) {
        p->start(44100.0f, 128);
        p->setProgram(6);
    }
    StereoBuffer in(128), replaced(128), added(128);
    double energy = 0.0;
    for (size_t block = 0; block < 200; ++block) {
        fillBursts(in, block * 128);
        std::fill(added.left.begin(), added.left.end(), 1.0f);
        std::fill(added.right.begin(), added.right.end(), -1.0f);
        plugin->processReplacing(in.channels(), replaced.channels(), 128);
        twin->process(in.channels(), added.channels(), 128);
        for (size_t i = 0; i < 128; ++i) {
            ASSERT_TRUE(std::isfinite(replaced.left[i]) && std::isfinite(replaced.right[i]));
            ASSERT_EQ(added.left[i], 1.0f + replaced.left[i]) << block << ":" << i;
            ASSERT_EQ(added.right[i], -1.0f + replaced.right[i]) << block << ":" << i;
            energy += replaced.left[i] * replaced.left[i] + replaced.right[i] * replaced.right[i];
        }
    }
    EXPECT_GT(energy, 1.0);
}

}  // namespace
}  // namespace brindlet::test
