// The host library against the fake modules: load errors, the callback's answers and records,
// what an instance does with texts and events, and the event list's binary shape.
#include <gtest/gtest.h>

#include <cstring>

#include "host/MidiEventList.h"
#include "tests/host/HostTestSupport.h"

namespace brindlet {
namespace {

using test::fakeModule;

std::string createError(const std::string& path) {
    std::string error;
    auto module = PluginModule::load(path, error);
    if (!module) return error;
    PluginHost host;
    return PluginInstance::create(module, host, error) ? std::string() : error;
}

// Every way a file can fail to be a plug-in gets one line that starts with the file's name.
TEST(PluginModule, RefusesFilesThatAreNotPlugins) {
    test::ScratchFolder dir("module");
    const std::string text = dir / "notes.so";
    std::ofstream(text) << "not a shared object\n";
    const std::pair<std::string, const char*> cases[] = {
        {"/nonexistent/brindlet.so", "no such file"},
        {dir.path().string(), "not a regular file"},
        {text, "not a loadable shared object"},
        {fakeModule("noentry"), "exports neither VSTPluginMain nor main"},
        {fakeModule("null"), "returned no instance"},
        {fakeModule("badmagic"), "record magic 0x4e6f7065"}};
    for (const auto& [path, message] : cases) {
        const std::string error = createError(path);
        EXPECT_NE(error.find(message), std::string::npos) << error;
        EXPECT_EQ(error.rfind(path, 0), 0u) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
}

TEST(PluginModule, FindsEitherEntryAndBareNamesMeanTheWorkingFolder) {
    std::string error;
    auto fallback = PluginModule::load(fakeModule("mainonly"), error);
    ASSERT_TRUE(fallback) << error;
    EXPECT_EQ(fallback->entryName(), "main");
    EXPECT_EQ(createError(fakeModule("mainonly")), "");

    // The loader would otherwise search its library path and might load a different file.
    test::ScratchFolder dir("bare_name");
    std::filesystem::copy_file(fakeModule("good"), dir / "libc.so.6");
    auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    auto module = PluginModule::load("libc.so.6", error);
    std::filesystem::current_path(previous);
    ASSERT_TRUE(module) << error;
    EXPECT_EQ(module->entryName(), "VSTPluginMain");
}

class PluginHostTest : public ::testing::Test {
protected:
    void SetUp() override { host.attach(&effect); }
    void TearDown() override { host.detach(&effect); }
    intptr_t call(int32_t opcode, void* ptr = nullptr, int32_t index = 0, float opt = 0.0f) {
        return PluginHost::callback(&effect, opcode, index, 0, ptr, opt);
    }

    AEffect effect{};
    PluginHost host;
};

TEST_F(PluginHostTest, AnswersTheCommonQueries) {
    host.setSampleRate(48000.0f);
    host.setBlockSize(128);
    const std::pair<int32_t, intptr_t> answers[] = {{audioMasterVersion, 2400},
                                                    {audioMasterGetSampleRate, 48000},
                                                    {audioMasterGetBlockSize, 128},
                                                    {audioMasterGetTime, 0},  // no time info
                                                    {12345, 0},
                                                    {-7, 0},
                                                    {audioMasterCanDo, 0}};  // no text to ask about
    for (auto [opcode, answer] : answers) EXPECT_EQ(call(opcode), answer) << opcode;

    char text[64];
    std::memset(text, '?', sizeof text);
    EXPECT_EQ(call(audioMasterGetVendorString, text), 1);
    EXPECT_STREQ(text, PluginHost::kVendor);
    EXPECT_EQ(call(audioMasterGetVendorString, nullptr), 1);
    char canDo[] = "sendVstMidiEvent";
    EXPECT_EQ(call(audioMasterCanDo, canDo), 1);
    char cannot[] = "sizeWindow";
    EXPECT_EQ(call(audioMasterCanDo, cannot), 0);
}

TEST_F(PluginHostTest, RecordsRequestsAndTellsTheObserverWithoutItsLock) {
    host.clearRequests();
    int seen = 0;
    host.setObserver([&](const HostRequest& request) {
        seen += static_cast<int>(host.countOf(request.opcode));  // must not deadlock
    });
    call(audioMasterAutomate, nullptr, 4, 0.125f);
    char unterminated[300];
    std::memset(unterminated, 'a', sizeof unterminated);
    call(audioMasterCanDo, unterminated);
    PluginHost::callback(nullptr, audioMasterIdle, 0, 0, nullptr, 0.0f);  // unknown: not ours
    EXPECT_EQ(seen, 2);

    auto requests = host.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].opcode, audioMasterAutomate);
    EXPECT_EQ(requests[0].index, 4);
    EXPECT_EQ(requests[0].opt, 0.125f);
    EXPECT_EQ(requests[0].effect, &effect);
    EXPECT_EQ(requests[1].text.size(), 256u);
    host.clearRequests();
    EXPECT_TRUE(host.requests().empty());
    EXPECT_EQ(host.countOf(audioMasterAutomate), 0u);
}

TEST_F(PluginHostTest, KeepsABoundedListButCountsEveryRequest) {
    host.clearRequests();
    for (size_t i = 0; i < PluginHost::kMaxKeptRequests + 5; ++i)
        call(audioMasterAutomate, nullptr, 1, 0.5f);
    call(audioMasterIdle);
    EXPECT_EQ(host.requests().size(), PluginHost::kMaxKeptRequests);
    EXPECT_EQ(host.countOf(audioMasterAutomate), PluginHost::kMaxKeptRequests + 5);
    EXPECT_EQ(host.countOf(audioMasterIdle), 1u);
}

TEST(PluginHost, LoadingHostTakesRequestsBeforeTheRecordIsKnown) {
    PluginHost host;
    AEffect unregistered{};
    host.beginLoading();
    PluginHost::callback(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f);
    PluginHost::callback(&unregistered, audioMasterWantMidi, 0, 1, nullptr, 0.0f);
    host.endLoading();
    PluginHost::callback(&unregistered, audioMasterIdle, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(host.requests().size(), 2u);
    EXPECT_EQ(PluginHost::callback(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f), 2400);
}

using PluginInstanceTest = test::FakeInstanceTest;

TEST_F(PluginInstanceTest, CutsTextsPassesAnswersAndIsSafeOnceClosed) {
    EXPECT_EQ(plugin->parameterName(0), "Gain");
    EXPECT_EQ(plugin->parameterName(1), std::string(PluginInstance::kTextSize - 1, 'x'));
    EXPECT_EQ(plugin->vendorVersion(), 1234);
    ERect rect{};
    EXPECT_FALSE(plugin->editorRect(rect));

    plugin->start(48000.0f, 64);
    EXPECT_EQ(host.sampleRate(), 48000.0f);
    EXPECT_EQ(host.blockSize(), 64);

    plugin->close();
    EXPECT_EQ(plugin->effect(), nullptr);
    EXPECT_EQ(plugin->dispatcher(effGetVendorVersion), 0);
    EXPECT_EQ(plugin->getParameter(0), 0.0f);
    EXPECT_EQ(plugin->parameterName(0), "");
    plugin->close();
}

TEST(MidiEventList, BuildsTheBinaryShapeAPlugInReads) {
    MidiEventList list(1);
    list.noteOn(17, 60, 127, 3);
    list.noteOff(200, 61, 64);
    list.add(0, 0xb0, 200, 7);  // data bytes keep 7 bits
    ASSERT_EQ(list.get()->numEvents, 3);
    VstEvent* const* events = list.get()->events;  // the list's own storage runs past two
    const auto* on = reinterpret_cast<const VstMidiEvent*>(events[0]);
    const auto* off = reinterpret_cast<const VstMidiEvent*>(events[1]);
    const auto* control = reinterpret_cast<const VstMidiEvent*>(events[2]);
    EXPECT_EQ(on->type, kVstMidiType);
    EXPECT_EQ(on->byteSize, 24);
    EXPECT_EQ(on->deltaFrames, 17);
    EXPECT_EQ(std::memcmp(on->midiData, "\x93\x3c\x7f\x00", 4), 0);
    EXPECT_EQ(std::memcmp(off->midiData, "\x80\x3d\x40\x00", 4), 0);
    EXPECT_EQ(off->deltaFrames, 200);
    EXPECT_EQ(control->midiData[1], 200 & 0x7f);
    list.clear();
    EXPECT_EQ(list.get()->numEvents, 0);
}

}  // namespace
}  // namespace brindlet
