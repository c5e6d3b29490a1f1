// brindlet-render against a plug-in we did not write: an LSP stereo effect, when the package is
// there.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>

#include "tests/host/RenderCommand.h"

namespace brindlet {
namespace {

constexpr const char* kLspDelay = "/usr/lib/vst/lsp-plugins/comp-delay-stereo.so";

class ThirdPartyHost : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(kLspDelay))
            GTEST_SKIP() << kLspDelay << " is missing (Debian package lsp-plugins-vst)";
    }
};

TEST_F(ThirdPartyHost, InfoAndRenderThroughTheCommand) {
    test::ScratchFolder dir("lsp");
    auto info = dir.run({"--info", "--plugin", kLspDelay});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    for (const char* expected : {"Vendor:          LSP VST", "2 in, 2 out", "Parameters (11)",
                                 "bypass", "wet", "g_out", "Programs (0", "Can do:"})
        EXPECT_NE(info.out.find(expected), std::string::npos) << expected << "\n" << info.out;

    std::string error;
    std::vector<float> ramp;
    for (int i = 0; i < 22050; ++i) ramp.push_back(std::sin(i * 0.05f) * 0.5f);
    ASSERT_TRUE(writeAudioFile(dir / "in.wav", {44100, 2, SF_FORMAT_WAV | SF_FORMAT_FLOAT},
                               {ramp, ramp}, error));
    ASSERT_EQ(dir.run({"in.wav", "same.wav", "--plugin", kLspDelay, "-q"}).exitCode, 0);
    ASSERT_EQ(
        dir.run({"in.wav", "mute.wav", "--plugin", kLspDelay, "--param", "wet=0", "-q"}).exitCode,
        0);
    test::Audio in = test::readAudio(dir / "in.wav");
    test::Audio same = test::readAudio(dir / "same.wav");
    test::Audio mute = test::readAudio(dir / "mute.wav");
    ASSERT_EQ(same.samples.size(), in.samples.size());
    ASSERT_EQ(mute.samples.size(), in.samples.size());
    for (size_t i = 0; i < in.samples.size(); ++i) {
        ASSERT_NEAR(same.samples[i], in.samples[i], 1e-4f) << i;
        ASSERT_EQ(mute.samples[i], 0.0f) << i;
    }
}

}  // namespace
}  // namespace brindlet
