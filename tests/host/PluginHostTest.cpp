// The host callback's answers, its record of requests, and the observer hook.
#include <gtest/gtest.h>

#include <cstring>

#include "host/PluginHost.h"

namespace brindlet {
namespace {

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
    EXPECT_EQ(call(audioMasterVersion), 2400);
    EXPECT_EQ(call(audioMasterGetSampleRate), 48000);
    EXPECT_EQ(call(audioMasterGetBlockSize), 128);
    EXPECT_EQ(call(audioMasterWantMidi), 1);
    EXPECT_EQ(call(audioMasterGetLanguage), 1);
    EXPECT_EQ(call(audioMasterBeginEdit), 1);
    EXPECT_EQ(call(audioMasterGetTime), 0);
    EXPECT_EQ(call(audioMasterGetVendorVersion), PluginHost::kVendorVersion);
    EXPECT_EQ(call(12345), 0);
    EXPECT_EQ(call(-7), 0);

    char text[64];
    std::memset(text, '?', sizeof text);
    EXPECT_EQ(call(audioMasterGetVendorString, text), 1);
    EXPECT_STREQ(text, PluginHost::kVendor);
    EXPECT_EQ(call(audioMasterGetProductString, text), 1);
    EXPECT_STREQ(text, PluginHost::kProduct);
    EXPECT_EQ(call(audioMasterGetVendorString, nullptr), 1);

    char canDo[] = "sendVstMidiEvent";
    EXPECT_EQ(call(audioMasterCanDo, canDo), 1);
    char cannot[] = "sizeWindow";
    EXPECT_EQ(call(audioMasterCanDo, cannot), 0);
    EXPECT_EQ(call(audioMasterCanDo, nullptr), 0);
}

TEST_F(PluginHostTest, RecordsRequestsUntilCleared) {
    call(audioMasterAutomate, nullptr, 4, 0.125f);
    char unterminated[300];
    std::memset(unterminated, 'a', sizeof unterminated);
    call(audioMasterCanDo, unterminated);
    PluginHost::callback(nullptr, audioMasterIdle, 0, 0, nullptr, 0.0f);  // unknown: not ours

    auto requests = host.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].opcode, audioMasterAutomate);
    EXPECT_EQ(requests[0].index, 4);
    EXPECT_EQ(requests[0].opt, 0.125f);
    EXPECT_EQ(requests[0].effect, &effect);
    EXPECT_EQ(requests[1].text.size(), 256u);
    host.clearRequests();
    EXPECT_TRUE(host.requests().empty());
}

TEST_F(PluginHostTest, OverridesAndObserverSeeEachRequest) {
    host.overrideAnswer(audioMasterVersion, 0);
    EXPECT_EQ(call(audioMasterVersion), 0);
    int seen = 0;
    host.setObserver([&](const HostRequest& request) {
        // The host's lock is not held here: asking it again must not deadlock.
        seen += static_cast<int>(host.countOf(request.opcode));
    });
    call(audioMasterAutomate);
    EXPECT_EQ(seen, 1);
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

}  // namespace
}  // namespace brindlet
