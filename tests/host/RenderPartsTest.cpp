// Pieces of brindlet-render: options, file names, exact audio files, and the block loop against
// the fake module.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "host/AudioFile.h"
#include "host/BlockRenderer.h"
#include "host/DemoRender.h"
#include "host/PluginSetup.h"
#include "host/RenderOptions.h"
#include "tests/host/HostTestSupport.h"

namespace brindlet {
namespace {

bool parse(std::vector<const char*> args, RenderOptions& options, std::string& error) {
    args.insert(args.begin(), "brindlet-render");
    return parseRenderOptions(static_cast<int>(args.size()), args.data(), options, error);
}

TEST(RenderOptions, ReadsEveryOptionInBothForms) {
    RenderOptions o;
    std::string error;
    ASSERT_TRUE(parse({"in.wav", "--param", "Pitch/ End=0.25", "--param=Mix=1", "out.flac",
                       "--note", "1.5:36:127", "--note=0:0:0", "--block=64", "--tail", "2",
                       "--program", "Big Drum", "--plot", "p.png", "-q", "--info"},
                      o, error))
        << error;
    EXPECT_EQ(o.input, "in.wav");
    EXPECT_EQ(o.output, "out.flac");
    ASSERT_EQ(o.parameters.size(), 2u);
    EXPECT_EQ(o.parameters[0].name, "Pitch/ End");
    EXPECT_EQ(o.parameters[0].value, 0.25f);
    EXPECT_EQ(o.parameters[1].name, "Mix");
    ASSERT_EQ(o.notes.size(), 2u);
    EXPECT_EQ(o.notes[0].seconds, 1.5);
    EXPECT_EQ(o.notes[0].note, 36);
    EXPECT_EQ(o.notes[0].velocity, 127);
    EXPECT_EQ(o.blockSize, 64);
    EXPECT_EQ(o.tailSeconds, 2.0);
    EXPECT_EQ(o.program, "Big Drum");
    EXPECT_TRUE(o.quiet && o.info);
}

TEST(RenderOptions, RefusesMalformedValues) {
    for (const char* line : {"--param Mix=nan", "--param =0.5", "--param Mix=0.5x",
                             "--note 1:128:1", "--note 1:60:100:5", "--note inf:60:1",
                             "--block 70000", "--block 12.5", "--tail -1", "a b c"}) {
        std::istringstream words(line);
        std::vector<std::string> storage{std::istream_iterator<std::string>(words), {}};
        std::vector<const char*> args;
        for (const std::string& word : storage) args.push_back(word.c_str());
        RenderOptions o;
        std::string error;
        EXPECT_FALSE(parse(args, o, error)) << line;
        EXPECT_FALSE(error.empty()) << line;
    }
}

TEST(RenderOptions, RefusesEmptyValuesAndFileNames) {
    const std::vector<std::vector<const char*>> lines = {
        {"", "out.wav"},  {"in.wav", ""}, {""},
        {"--plugin", ""}, {"--program="}, {"in.wav", "out.wav", "--plot", ""}};
    for (const auto& args : lines) {
        RenderOptions o;
        std::string error;
        EXPECT_FALSE(parse(args, o, error)) << args.size();
        EXPECT_NE(error.find("empty"), std::string::npos) << error;
    }
}

using PluginSetupTest = test::FakeInstanceTest;

TEST_F(PluginSetupTest, ProgramOutOfRangeSaysWhenThereAreNone) {
    std::string error;
    EXPECT_FALSE(selectProgram(*plugin, "0", error));
    EXPECT_EQ(error, "program 0 is out of range; the plug-in has no programs");
}

TEST(TimedNotes, DropsNotesPastTheEndBeforeTheyOverflow) {
    const std::vector<NoteRequest> requests = {
        {1e300, 60, 100}, {0.5, 61, 90}, {1.0, 62, 80}, {0.99999, 63, 70}, {1e18, 64, 1}};
    auto notes = timedNotes(requests, 1000.0f, 1000, true);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].frame, 500);
    EXPECT_EQ(notes[0].note, 61);
    EXPECT_EQ(notes[0].velocity, 90);
}

TEST(DemoRender, SafeFileNamesAndLevels) {
    EXPECT_EQ(fileNameFor("Big Drum", 1), "big-drum");
    EXPECT_EQ(fileNameFor("  DJ/Decks!! ", 3), "dj-decks");
    EXPECT_EQ(fileNameFor("../..", 5), "program-5");
    EXPECT_EQ(fileNameFor("", 9), "program-9");
    Level level = measure({{0.5f, -0.5f}, {0.5f, -0.5f}});
    EXPECT_NEAR(level.peakDb, -6.0206, 1e-3);
    EXPECT_NEAR(level.rmsDb, -6.0206, 1e-3);
    EXPECT_EQ(measure({{0.0f}}).peakDb, -200.0);
}

class AudioFileTest : public ::testing::Test {
protected:
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "brindlet_audiofile";
    void SetUp() override { std::filesystem::create_directories(dir); }
    void TearDown() override { std::filesystem::remove_all(dir); }
};

TEST_F(AudioFileTest, IntegerEncodingsRoundTripExactly) {
    for (auto [subtype, bits] : {std::pair{SF_FORMAT_PCM_16, 16},
                                 {SF_FORMAT_PCM_24, 24},
                                 {SF_FORMAT_PCM_32, 32},
                                 {SF_FORMAT_PCM_U8, 8}}) {
        float step = std::ldexp(1.0f, 1 - bits);
        // Full scale negative, smallest steps, the largest positive code, and one that clips.
        std::vector<float> samples = {-1.0f, -step, 0.0f, step, 1.0f - step, 1.0f, 2.0f};
        if (bits == 32) samples = {-1.0f, -0.5f, 0.0f, 0.5f, 0.25f, 1.0f, 2.0f};
        std::string path = (dir / "x.wav").string(), error;
        ASSERT_TRUE(writeAudioFile(path, {8000, 1, SF_FORMAT_WAV | subtype}, {samples}, error))
            << error;
        AudioReader reader;
        ASSERT_TRUE(reader.open(path, error)) << error;
        std::vector<float> back(samples.size());
        ASSERT_EQ(reader.read(back.data(), 7), 7);
        for (size_t i = 0; i + 2 < samples.size(); ++i) EXPECT_EQ(back[i], samples[i]) << bits;
        if (bits != 32) {
            EXPECT_EQ(back[5], 1.0f - step) << "full scale clips to the largest code";
            EXPECT_EQ(back[6], 1.0f - step) << "overs clip";
        }
    }
}

TEST_F(AudioFileTest, UnfinishedWriterLeavesNothing) {
    std::string path = (dir / "out.wav").string(), error;
    {
        AudioWriter writer;
        ASSERT_TRUE(writer.open(path, {44100, 2, SF_FORMAT_WAV | SF_FORMAT_FLOAT}, error));
        float frame[2] = {0.1f, 0.2f};
        ASSERT_TRUE(writer.write(frame, 1, error));
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1);
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir));
}

// The rename would swap a device, pipe or link for a regular file: links are followed and
// anything but a regular file is refused untouched.
TEST_F(AudioFileTest, ReplacesOnlyRegularFilesAndFollowsLinks) {
    namespace fs = std::filesystem;
    const AudioFormat format{8000, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16};
    std::string error;
    std::string fifo = (dir / "fifo.wav").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(writeAudioFile(fifo, format, {{0.5f}}, error));
    EXPECT_EQ(error, fifo + ": cannot write (not a regular file)");
    EXPECT_TRUE(fs::is_fifo(fifo));

    fs::create_directory(dir / "real");
    fs::create_symlink("real/take.wav", dir / "dangling.wav");
    fs::create_symlink("dangling.wav", dir / "chain.wav");
    std::ofstream(dir / "real" / "old.wav") << "old";
    fs::create_symlink(dir / "real" / "old.wav", dir / "absolute.wav");
    for (const char* link : {"chain.wav", "absolute.wav"}) {
        ASSERT_TRUE(writeAudioFile((dir / link).string(), format, {{0.5f, -0.5f}}, error)) << error;
        EXPECT_TRUE(fs::is_symlink(dir / link)) << link;
        AudioReader reader;
        ASSERT_TRUE(reader.open((dir / link).string(), error)) << error;
        EXPECT_EQ(reader.frames(), 2) << link;
    }
    EXPECT_TRUE(fs::is_symlink(dir / "dangling.wav"));
    EXPECT_TRUE(fs::is_regular_file(dir / "real" / "take.wav"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "real"), {}), 2) << "temp files left";

    fs::create_symlink("loop.wav", dir / "loop.wav");
    EXPECT_FALSE(writeAudioFile((dir / "loop.wav").string(), format, {{0.5f}}, error));
    EXPECT_NE(error.find("too many symbolic links"), std::string::npos) << error;
    fs::create_symlink("real", dir / "folder.wav");
    EXPECT_FALSE(writeAudioFile((dir / "folder.wav").string(), format, {{0.5f}}, error));
    EXPECT_NE(error.find("it is a directory"), std::string::npos) << error;
}

TEST_F(AudioFileTest, OutputFormatFollowsExtension) {
    const int wav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    EXPECT_EQ(outputFormatFor("a.AIFF", wav16, 2), SF_FORMAT_AIFF | SF_FORMAT_PCM_16);
    EXPECT_EQ(outputFormatFor("a.out", wav16, 2), wav16);
    EXPECT_EQ(outputFormatFor("a.flac", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2),
              SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
}

class BlockRendererTest : public test::FakeInstanceTest {
protected:
    void SetUp() override {
        FakeInstanceTest::SetUp();
        plugin->start(44100.0f, 8);
        plugin->setParameter(0, 0.5f);  // the fake's gain 2 x 0.5: output = input
    }
};

TEST_F(BlockRendererTest, FramesComeBackInPlaceForEveryBlockLength) {
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

    BlockRenderer mono(*plugin, 1, 8, {});
    std::vector<float> in = {1, 2, 3, 4, 5};
    mono.process(in.data(), out.data(), 5);
    EXPECT_EQ(out, (std::vector<float>{1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 0, 0, 0, 0, 0, 0}));
}

TEST_F(BlockRendererTest, NotesArriveBeforeTheirBlockWithTheirOffset) {
    std::vector<float> in(16), out(16);
    BlockRenderer renderer(*plugin, 2, 8, {{20, 50, 100}, {10, 40, 100}, {11, 41, 90}});
    // After each block: events seen, last note, last offset into the block.
    const float expected[3][3] = {{0, -1, -1}, {2, 41, 3}, {3, 50, 4}};
    for (const auto& after : expected) {
        renderer.process(in.data(), out.data(), 8);
        for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(plugin->getParameter(100 + i), after[i]) << i;
    }
    EXPECT_EQ(renderer.notesSent(), 3u);
}

// A plug-in whose output count grows once switched on: the accumulating fallback clears only the
// pointers passed, and the renderer no longer hands it two pointers for six channels.
TEST(ShiftingPlugin, NeverGetsFewerPointersThanItClaims) {
    std::string error;
    auto module = PluginModule::load(test::fakeModule("shifty"), error);
    ASSERT_TRUE(module) << error;
    PluginHost host;
    auto plugin = PluginInstance::create(module, host, error);
    ASSERT_TRUE(plugin) << error;
    BlockRenderer renderer(*plugin, 2, 4, {});
    plugin->start(44100.0f, 4);
    ASSERT_EQ(plugin->effect()->numOutputs, 6);
    EXPECT_FALSE(channelsFit(*plugin, "switched on with", error));

    std::vector<float> left = {1, 2, 3, 4}, right = {5, 6, 7, 8}, outLeft(4, 9), outRight(4, 9);
    float* inputs[2] = {left.data(), right.data()};
    float* outputs[2] = {outLeft.data(), outRight.data()};
    plugin->processReplacing(inputs, outputs, 4, 2);
    EXPECT_EQ(outLeft, left) << "cleared, then added into";
    EXPECT_EQ(outRight, right);

    std::vector<float> in(8, 0.5f), out(8, 9.0f);
    renderer.process(in.data(), out.data(), 4);
    EXPECT_EQ(out, std::vector<float>(8, 0.0f));
}

}  // namespace
}  // namespace brindlet
