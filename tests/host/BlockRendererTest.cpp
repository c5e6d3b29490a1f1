// The host's block loop against the fake module: channel mapping, short blocks, note timing.
#include <gtest/gtest.h>

#include "host/BlockRenderer.h"
#include "tests/host/FakeModules.h"

namespace brindlet {
namespace {

class BlockRendererTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        module = PluginModule::load(test::fakeModule("good"), error);
        ASSERT_TRUE(module) << error;
        plugin = PluginInstance::create(module, host, error);
        ASSERT_TRUE(plugin) << error;
        plugin->start(44100.0f, 8);
        plugin->setParameter(0, 0.5f);  // the fake's gain 2 x 0.5: output = input
    }

    std::shared_ptr<PluginModule> module;
    PluginHost host;
    std::unique_ptr<PluginInstance> plugin;
};

TEST_F(BlockRendererTest, StereoFramesComeBackInPlaceForEveryBlockLength) {
    BlockRenderer renderer(*plugin, 2, 8, {});
    for (int32_t frames = 0; frames <= 8; ++frames) {
        std::vector<float> in(2 * 8), out(2 * 8, -9.0f);
        for (size_t i = 0; i < in.size(); ++i) in[i] = static_cast<float>(i) + 0.5f;
        renderer.process(in.data(), out.data(), frames);
        for (int32_t i = 0; i < 2 * frames; ++i) ASSERT_EQ(out[i], in[i]) << frames;
        for (int32_t i = 2 * frames; i < 16; ++i) ASSERT_EQ(out[i], -9.0f) << "wrote past";
    }
    EXPECT_EQ(renderer.position(), 36);
    std::vector<float> out(16, 1.0f);
    renderer.process(nullptr, out.data(), 8);  // the tail is silence in, silence out
    EXPECT_EQ(out, std::vector<float>(16, 0.0f));
}

TEST_F(BlockRendererTest, MonoFeedsBothInputs) {
    BlockRenderer renderer(*plugin, 1, 8, {});
    std::vector<float> in = {1, 2, 3, 4, 5}, out(10);
    renderer.process(in.data(), out.data(), 5);
    EXPECT_EQ(out, (std::vector<float>{1, 1, 2, 2, 3, 3, 4, 4, 5, 5}));
}

TEST_F(BlockRendererTest, NotesArriveBeforeTheirBlockWithTheirOffset) {
    std::vector<float> in(16), out(16);
    BlockRenderer renderer(*plugin, 2, 8, {{20, 50, 100}, {10, 40, 100}, {11, 41, 90}});
    renderer.process(in.data(), out.data(), 8);
    EXPECT_EQ(plugin->getParameter(100), 0.0f);
    renderer.process(in.data(), out.data(), 8);  // frames 8..15
    EXPECT_EQ(plugin->getParameter(100), 2.0f);
    EXPECT_EQ(plugin->getParameter(101), 41.0f);
    EXPECT_EQ(plugin->getParameter(102), 3.0f);  // frame 11 is 3 into the block
    renderer.process(in.data(), out.data(), 8);  // frames 16..23
    EXPECT_EQ(plugin->getParameter(100), 3.0f);
    EXPECT_EQ(plugin->getParameter(101), 50.0f);
    EXPECT_EQ(plugin->getParameter(102), 4.0f);
    EXPECT_EQ(renderer.notesSent(), 3u);
}

}  // namespace
}  // namespace brindlet
