// Pieces of brindlet-render: options, file names, exact audio files, and the block loop against
// the fake module.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>

#include <cmath>

#include "host/BlockRenderer.h"
#include "host/DemoRender.h"
#include "host/PluginLocator.h"
#include "host/PluginSetup.h"
#include "host/RenderOptions.h"
#include "tests/host/HostTestSupport.h"

namespace brindlet {
namespace {

bool parse(std::vector<const char*> args, RenderOptions& options, std::string& error) {
    args.insert(args.begin(), "brindlet-render");
    return parseRenderOptions(static_cast<int>(args.size()), args.data(), options, error);
}

// Every refusal gives its reason on one line; an argument with control characters is quoted
// with escapes (found by fuzzing: a line break made a two-line refusal).
TEST(RenderOptions, RefusesMalformedEmptyAndUnprintableArgumentsOnOneLine) {
    struct Case {
        std::vector<const char*> args;
        const char* says;
    };
    // Malformed values, then empty ones, then control characters.
    // clang-format off
    const Case cases[] = {
        {{"--param", "Mix=nan"}, ""}, {{"--param", "=0.5"}, ""}, {{"--param", "Mix=0.5x"}, ""},
        {{"--note", "1:128:1"}, ""}, {{"--note", "1:60:100:5"}, ""}, {{"--note", "inf:60:1"}, ""},
        {{"--block", "70000"}, ""}, {{"--block", "12.5"}, ""}, {{"--tail", "-1"}, ""},
        {{"a", "b", "c"}, ""},
        {{"", "out.wav"}, "empty"}, {{"in.wav", ""}, "empty"}, {{""}, "empty"},
        {{"--plugin", ""}, "empty"}, {{"--program="}, "empty"},
        {{"in.wav", "out.wav", "--plot", ""}, "empty"},
        {{"--\nknoinfo", "in.wav", "out.wav"}, "\\x"},
        {{"--block", "6\r\n4", "in.wav", "out.wav"}, "\\x"},
        {{"--bits=\x1b[2J", "in.wav", "out.wav"}, "\\x"}};
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        RenderOptions o;
        std::string error;
        EXPECT_FALSE(parse(c.args, o, error));
        EXPECT_FALSE(error.empty());
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
        EXPECT_EQ(error.find_first_of("\r\n\x1b"), std::string::npos) << error;
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

using AudioFileTest = test::FolderTest;

TEST_F(AudioFileTest, IntegerEncodingsRoundTripExactly) {
    for (auto [subtype, bits] : {std::pair{SF_FORMAT_PCM_16, 16},
                                 {SF_FORMAT_PCM_24, 24},
                                 {SF_FORMAT_PCM_32, 32},
                                 {SF_FORMAT_PCM_U8, 8}}) {
        float step = std::ldexp(1.0f, 1 - bits);
        // Full scale negative, smallest steps, the largest positive code, and one that clips.
        std::vector<float> samples = {-1.0f, -step, 0.0f, step, 1.0f - step, 1.0f, 2.0f};
        if (bits == 32) samples = {-1.0f, -0.5f, 0.0f, 0.5f, 0.25f, 1.0f, 2.0f};
        std::string path = dir / "x.wav", error;
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

// An unfinished write leaves nothing; nor does a format libsndfile finds it cannot write only
// after it has created the file.
TEST_F(AudioFileTest, UnfinishedOrRefusedWritesLeaveNoFile) {
    std::string error;
    {
        AudioWriter writer;
        ASSERT_TRUE(
            writer.open(dir / "out.wav", {44100, 2, SF_FORMAT_WAV | SF_FORMAT_FLOAT}, error));
        float frame[2] = {0.1f, 0.2f};
        ASSERT_TRUE(writer.write(frame, 1, error));
        EXPECT_EQ(dir.files().size(), 1u);
    }
    EXPECT_TRUE(dir.files().empty());
    AudioWriter writer;
    EXPECT_FALSE(writer.open(dir / "x.opus", {44100, 2, SF_FORMAT_OGG | SF_FORMAT_OPUS}, error));
    EXPECT_FALSE(
        writer.open(dir / "x.wav", {44100, 2, SF_FORMAT_WAV | SF_FORMAT_MPEG_LAYER_III}, error));
    EXPECT_TRUE(dir.files().empty()) << "temp files left";
}

// The rename would swap a device, pipe or link for a regular file: links are followed and
// anything but a regular file is refused untouched.
TEST_F(AudioFileTest, ReplacesOnlyRegularFilesAndFollowsLinks) {
    namespace fs = std::filesystem;
    const AudioFormat format{8000, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16};
    std::string error;
    std::string fifo = dir / "fifo.wav";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(writeAudioFile(fifo, format, {{0.5f}}, error));
    EXPECT_EQ(error, fifo + ": cannot write (not a regular file)");
    EXPECT_TRUE(fs::is_fifo(fifo));

    fs::create_directory(dir.path() / "real");
    fs::create_symlink("real/take.wav", dir / "dangling.wav");
    fs::create_symlink("dangling.wav", dir / "chain.wav");
    std::ofstream(dir / "real/old.wav") << "old";
    fs::create_symlink(dir / "real/old.wav", dir / "absolute.wav");
    for (const char* link : {"chain.wav", "absolute.wav"}) {
        ASSERT_TRUE(writeAudioFile(dir / link, format, {{0.5f, -0.5f}}, error)) << error;
        EXPECT_TRUE(fs::is_symlink(dir / link)) << link;
        AudioReader reader;
        ASSERT_TRUE(reader.open(dir / link, error)) << error;
        EXPECT_EQ(reader.frames(), 2) << link;
    }
    EXPECT_TRUE(fs::is_symlink(dir / "dangling.wav"));
    EXPECT_TRUE(fs::is_regular_file(dir / "real/take.wav"));
    EXPECT_EQ(dir.files("real").size(), 2u) << "temp files left";

    fs::create_symlink("loop.wav", dir / "loop.wav");
    EXPECT_FALSE(writeAudioFile(dir / "loop.wav", format, {{0.5f}}, error));
    EXPECT_NE(error.find("too many symbolic links"), std::string::npos) << error;
    fs::create_symlink("real", dir / "folder.wav");
    EXPECT_FALSE(writeAudioFile(dir / "folder.wav", format, {{0.5f}}, error));
    EXPECT_NE(error.find("it is a directory"), std::string::npos) << error;
}

int32_t formatFor(const std::string& path, int32_t input, OutputBits bits = OutputBits::kKeep,
                  int32_t rate = 44100) {
    int32_t format = -1;
    std::string error;
    return outputFormatFor(path, input, 2, rate, bits, format, error) ? format : -1;
}

TEST_F(AudioFileTest, OutputFormatFollowsExtensionAndNeverInheritsACodec) {
    const int wav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    const int mp3 = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    EXPECT_EQ(formatFor("a.AIFF", wav16), SF_FORMAT_AIFF | SF_FORMAT_PCM_16);
    EXPECT_EQ(formatFor("a.flac", SF_FORMAT_WAV | SF_FORMAT_FLOAT),
              SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
    EXPECT_EQ(formatFor("a.wav", mp3), SF_FORMAT_WAV | SF_FORMAT_PCM_24);
    EXPECT_EQ(formatFor("a.flac", mp3), SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
    EXPECT_EQ(formatFor("a.aif", SF_FORMAT_OGG | SF_FORMAT_VORBIS),
              SF_FORMAT_AIFF | SF_FORMAT_PCM_24);
    EXPECT_EQ(formatFor("a.ogg", wav16), SF_FORMAT_OGG | SF_FORMAT_VORBIS);
    EXPECT_EQ(formatFor("a.mp3", wav16), mp3);
    EXPECT_EQ(formatFor("a.opus", wav16, OutputBits::kKeep, 48000), SF_FORMAT_OGG | SF_FORMAT_OPUS);
    EXPECT_EQ(formatFor("a.wav", wav16, OutputBits::kFloat), SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    EXPECT_EQ(formatFor("a.wav", wav16, OutputBits::k24), SF_FORMAT_WAV | SF_FORMAT_PCM_24);
    for (const char* refused : {"a.out", "a.txt", "noextension", "a.wav.bak"})
        EXPECT_EQ(formatFor(refused, wav16), -1) << refused;
    EXPECT_EQ(formatFor("a.opus", wav16), -1) << "Opus at 44.1 kHz";
    EXPECT_EQ(formatFor("a.flac", wav16, OutputBits::kFloat), -1);
    EXPECT_EQ(formatFor("a.mp3", wav16, OutputBits::k16), -1);
}

// Integer encodings clip what reaches full scale, so it is counted; the lowest code -1 is exact.
TEST_F(AudioFileTest, SamplesOverFullScaleAreCountedWithThePeak) {
    for (int32_t format : {SF_FORMAT_WAV | SF_FORMAT_PCM_16, SF_FORMAT_WAV | SF_FORMAT_FLOAT}) {
        AudioWriter writer;
        std::string error;
        ASSERT_TRUE(writer.open(dir / "over.wav", {44100, 1, format}, error)) << error;
        const float samples[] = {0.5f, 1.0f, -1.0f, 1.19f, -1.5f, 0.99f};
        ASSERT_TRUE(writer.write(samples, 6, error));
        EXPECT_EQ(writer.overSamples(), 3);
        EXPECT_FLOAT_EQ(writer.peak(), 1.5f);
        EXPECT_EQ(writer.clips(), (format & SF_FORMAT_SUBMASK) != SF_FORMAT_FLOAT);
        ASSERT_TRUE(writer.commit(error));
        test::Audio back = test::readAudio(dir / "over.wav");
        ASSERT_EQ(back.samples.size(), 6u);
        EXPECT_EQ(back.samples[4], writer.clips() ? -1.0f : -1.5f);
    }
}

// An installed <prefix>/bin/brindlet-render finds <prefix>/lib/vst/brindlet.so, after the
// build tree's module.
TEST(PluginLocator, LooksInTheInstalledPlaceBeforeTheBuildFolder) {
    auto candidates = defaultPluginCandidates();
    ASSERT_GE(candidates.size(), 4u);
    auto self = std::filesystem::read_symlink("/proc/self/exe");
    // Beside the program first, then the installed place, then the build folder's copy.
    EXPECT_EQ(candidates[3],
              (self.parent_path().parent_path() / "lib" / "vst" / "brindlet.so").string());
}

TEST(NoteNames, MiddleCIsC4) {
    for (auto [name, number] : {std::pair{"C4", 60},
                                {"C3", 48},
                                {"F#2", 42},
                                {"bb4", 70},
                                {"C-1", 0},
                                {"G9", 127},
                                {"100", 100}}) {
        int note = -1;
        EXPECT_TRUE(parseNoteName(name, note)) << name;
        EXPECT_EQ(note, number) << name;
    }
    int note = -1;
    for (const char* bad : {"", "H2", "C", "G#9", "Cb-1", "C10", "128", "C#", "-3"})
        EXPECT_FALSE(parseNoteName(bad, note)) << bad;
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

// A change at frame 13 of 8-frame blocks splits the second block: frames 8..12 keep the old
// gain, 13 on have the new one, whatever the block size.
TEST_F(BlockRendererTest, ParameterChangesTakeEffectAtTheirFrame) {
    for (int32_t block : {8, 5, 1}) {
        plugin->setParameter(0, 0.5f);
        BlockRenderer renderer(*plugin, 1, block, {});
        renderer.setParameterChanges({{13, 0, 1.0f}, {2, 0, 0.5f}});
        std::vector<float> in(static_cast<size_t>(block), 1.0f),
            out(2 * static_cast<size_t>(block));
        std::vector<float> left;
        while (renderer.position() < 24) {
            renderer.process(in.data(), out.data(), block);
            for (int32_t i = 0; i < block; ++i) left.push_back(out[2 * static_cast<size_t>(i)]);
        }
        for (size_t i = 0; i < 24; ++i)
            ASSERT_EQ(left[i], i < 13 ? 1.0f : 2.0f) << block << " " << i;
    }
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
