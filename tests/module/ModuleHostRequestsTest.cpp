// What the module asks of its host, in order, and a short audio run end to end.
#include <cmath>
#include <limits>

#include "ModuleTestSupport.h"
#include "engine/ParameterIndex.h"
#include "host/MidiEventList.h"

namespace brindlet::test {
namespace {

using ModuleHostRequestsTest = ModuleTest;

TEST_F(ModuleHostRequestsTest, CreationAndMainsOnAskForMidi) {
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

TEST_F(ModuleHostRequestsTest, ProgramsAndHostParameterChangesAreNotAutomated) {
    host.clearRequests();
    for (int32_t k = 0; k < 16; ++k) plugin->setProgram(k);
    plugin->setParameter(kMix, 0.5f);
    EXPECT_TRUE(host.requests().empty());
}

// A note-on changes Pitch/ End first and then tells the host, so the host can read it back.
TEST_F(ModuleHostRequestsTest, NoteOnsAreAutomatedAsPitchEnd) {
    plugin->start(44100.0f, 256);
    std::vector<float> readBack;
    host.setObserver([&](const HostRequest& r) {
        if (r.opcode == audioMasterAutomate) readBack.push_back(plugin->getParameter(r.index));
    });
    host.clearRequests();

    MidiEventList events;
    events.noteOn(0, 48, 100);
    events.noteOff(10, 48, 64);
    events.noteOn(20, 61, 100);     // above 60: nothing
    events.noteOn(30, 30, 0);       // velocity 0 is a note-off
    events.noteOn(40, 36, 1, 5);    // any channel
    events.add(50, 0xB0, 48, 100);  // a controller: nothing
    EXPECT_EQ(plugin->processEvents(events.get()), 1);

    const auto automated = requestsOf(audioMasterAutomate);
    ASSERT_EQ(automated.size(), 2u);
    EXPECT_EQ(automated[0].index, kPitchEnd);
    EXPECT_FLOAT_EQ(automated[0].opt, 0.5f);
    EXPECT_EQ(automated[1].index, kPitchEnd);
    EXPECT_FLOAT_EQ(automated[1].opt, 0.25f);
    ASSERT_EQ(readBack.size(), 2u);
    EXPECT_EQ(readBack[0], automated[0].opt);
    EXPECT_EQ(readBack[1], automated[1].opt);
    EXPECT_EQ(host.requests().size(), 2u) << "nothing else was sent";
    host.setObserver(nullptr);

    // The note was written back into the current program like any parameter change.
    plugin->setProgram(3);
    plugin->setProgram(0);
    EXPECT_FLOAT_EQ(plugin->getParameter(kPitchEnd), 0.25f);
}

// A drum-like input: short decaying bursts four times a second.
void fillBursts(StereoBuffer& buffer, size_t offset) {
    for (size_t i = 0; i < buffer.left.size(); ++i) {
        const size_t t = (offset + i) % 11025;
        const float envelope = std::exp(-static_cast<float>(t) / 800.0f);
        const float tone = std::sin(0.05f * static_cast<float>(offset + i));
        buffer.left[i] = 0.8f * envelope * tone;
        buffer.right[i] = 0.6f * envelope * tone;
    }
}

TEST_F(ModuleHostRequestsTest, AudioRunsEndToEnd) {
    plugin->start(44100.0f, 256);
    plugin->setProgram(1);
    StereoBuffer in(256), out(256);
    double energy = 0.0;
    bool finite = true;
    for (size_t block = 0; block < 44100 / 256; ++block) {
        fillBursts(in, block * 256);
        plugin->processReplacing(in.channels(), out.channels(), 256);
        for (size_t i = 0; i < 256; ++i) {
            finite = finite && std::isfinite(out.left[i]) && std::isfinite(out.right[i]);
            energy += out.left[i] * out.left[i] + out.right[i] * out.right[i];
        }
    }
    EXPECT_TRUE(finite);
    EXPECT_GT(energy, 1.0);
}

// The accumulating entry adds exactly what the replacing entry stores.
TEST_F(ModuleHostRequestsTest, AccumulatingProcessAddsTheReplacingOutput) {
    PluginHost otherHost;
    std::string error;
    auto twin = PluginInstance::create(loadedModule(), otherHost, error);
    ASSERT_TRUE(twin) << error;
    for (PluginInstance* p : {plugin.get(), twin.get()}) {
        p->start(44100.0f, 128);
        p->setProgram(6);
    }
    StereoBuffer in(128), replaced(128), added(128, 0.0f);
    for (size_t block = 0; block < 100; ++block) {
        fillBursts(in, block * 128);
        std::fill(added.left.begin(), added.left.end(), 1.0f);
        std::fill(added.right.begin(), added.right.end(), -1.0f);
        plugin->processReplacing(in.channels(), replaced.channels(), 128);
        twin->process(in.channels(), added.channels(), 128);
        for (size_t i = 0; i < 128; ++i) {
            ASSERT_EQ(added.left[i], 1.0f + replaced.left[i]) << block << ":" << i;
            ASSERT_EQ(added.right[i], -1.0f + replaced.right[i]) << block << ":" << i;
        }
    }
}

TEST_F(ModuleHostRequestsTest, NonFiniteInputCrashesNothing) {
    plugin->start(44100.0f, 64);
    StereoBuffer in(64), out(64);
    for (float bad : {std::numeric_limits<float>::quiet_NaN(),
                      std::numeric_limits<float>::infinity(), 1e-42f, -3.0e38f}) {
        std::fill(in.left.begin(), in.left.end(), bad);
        std::fill(in.right.begin(), in.right.end(), -bad);
        plugin->processReplacing(in.channels(), out.channels(), 64);
    }
    EXPECT_EQ(plugin->program(), 0);
}

}  // namespace
}  // namespace brindlet::test
