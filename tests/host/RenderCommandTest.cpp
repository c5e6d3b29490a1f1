// brindlet-render driven as a person runs it: renders, notes, the demo, --info and every error.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>

#include <cmath>
#include <set>

#include "host/DemoRender.h"
#include "tests/host/HostTestSupport.h"
#include "tests/host/RenderCommand.h"
#include "tools/demo/DemoSignal.h"

namespace brindlet {
namespace {

using test::ScratchFolder;

constexpr int kRate = 44100;

// A decaying two-tone burst every quarter second: onsets for the trigger, content for the voice.
std::vector<std::vector<float>> testSignal(int channels, int frames) {
    std::vector<std::vector<float>> signal(static_cast<size_t>(channels));
    for (int c = 0; c < channels; ++c) {
        for (int i = 0; i < frames; ++i) {
            double t = static_cast<double>(i % (kRate / 4)) / kRate;
            double tone = std::sin(2 * M_PI * (110.0 + 55.0 * c) * i / kRate) +
                          0.3 * std::sin(2 * M_PI * 1250.0 * i / kRate);
            signal[static_cast<size_t>(c)].push_back(static_cast<float>(
                std::round(0.6 * std::exp(-12.0 * t) * tone * 32767.0) / 32768.0));
        }
    }
    return signal;
}

void writeInput(const std::string& path, int channels, int frames,
                int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16) {
    std::string error;
    ASSERT_TRUE(
        writeAudioFile(path, {kRate, channels, format}, testSignal(channels, frames), error))
        << error;
}

using RenderCommand = test::OurPluginTest;

// The mix smoother starts fully wet and moves 441 / rate per frame, so at 44.1 kHz the dry
// signal is exact from frame 100 on.
constexpr size_t kMixSettleFrames = 100;

// A mono file feeds both inputs; every encoding comes back exactly.
TEST_F(RenderCommand, MixZeroReproducesTheInputExactly) {
    ScratchFolder dir("mix0");
    for (auto [format, channels, name] : {std::tuple{SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, "a.wav"},
                                          {SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 2, "a.flac"},
                                          {SF_FORMAT_AIFF | SF_FORMAT_FLOAT, 2, "a.aiff"},
                                          {SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, "a.wav"}}) {
        writeInput(dir / ("in-" + std::string(name)), channels, kRate / 2, format);
        auto result = dir.run({"in-" + std::string(name), name, "--param", "mix=0", "--quiet"});
        ASSERT_EQ(result.exitCode, 0) << result.err;
        test::Audio in = test::readAudio(dir / ("in-" + std::string(name)));
        test::Audio out = test::readAudio(dir / name);
        EXPECT_EQ(out.format.format, format);
        EXPECT_EQ(out.format.sampleRate, kRate);
        ASSERT_EQ(out.samples.size(), in.samples.size() * 2 / channels);
        for (size_t i = 2 * kMixSettleFrames; i < out.samples.size(); ++i) {
            ASSERT_EQ(out.samples[i], in.samples[channels == 2 ? i : i / 2])
                << "sample " << i << " format " << format;
        }
    }
}

TEST_F(RenderCommand, NoteStartsATakeAtItsBlock) {
    ScratchFolder dir("note");
    writeInput(dir / "in.wav", 2, kRate);
    ASSERT_EQ(dir.run({"in.wav", "plain.wav", "-q"}).exitCode, 0);
    auto result = dir.run({"in.wav", "note.wav", "--note", "0.5:48:100", "--block", "256", "-q"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    test::Audio plain = test::readAudio(dir / "plain.wav");
    test::Audio noted = test::readAudio(dir / "note.wav");
    ASSERT_EQ(plain.samples.size(), noted.samples.size());
    size_t firstDifference = plain.samples.size();
    for (size_t i = 0; i < plain.samples.size() && firstDifference == plain.samples.size(); ++i)
        if (plain.samples[i] != noted.samples[i]) firstDifference = i;
    constexpr size_t kBlockStart = 22050 / 256 * 256;
    EXPECT_GE(firstDifference / 2, kBlockStart);
    EXPECT_LT(firstDifference / 2, kBlockStart + 256);
}

TEST_F(RenderCommand, ProgramTailFormatAndPlot) {
    ScratchFolder dir("program");
    writeInput(dir / "in.wav", 2, kRate / 2);
    std::ofstream(dir / "p.png.tmp") << "someone else's";  // not ours to delete
    std::filesystem::create_symlink("p.png", dir / "link.png");
    ASSERT_EQ(dir.run({"in.wav", "named.flac", "--program", "big drum", "-q"}).exitCode, 0);
    auto result = dir.run(
        {"in.wav", "numbered.flac", "--program=1", "--tail", "0.25", "--plot", "link.png", "-q"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    test::Audio named = test::readAudio(dir / "named.flac");
    test::Audio numbered = test::readAudio(dir / "numbered.flac");
    EXPECT_EQ(numbered.format.format, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    ASSERT_EQ(numbered.samples.size(), named.samples.size() + 2 * kRate / 4);
    EXPECT_TRUE(std::equal(named.samples.begin(), named.samples.end(), numbered.samples.begin()));
    std::string png = test::slurp(dir.path() / "p.png");
    ASSERT_GT(png.size(), 10000u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "link.png"));
    EXPECT_EQ(test::slurp(dir.path() / "p.png.tmp"), "someone else's");
}

TEST_F(RenderCommand, BareRunRendersTheDemoThroughEveryPreset) {
    if (makeDemoSignal(44100.0f).left.empty()) GTEST_SKIP() << "the demo signal is not built yet";
    ScratchFolder dir("demo");
    auto result = dir.run({});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    std::set<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path() / kDemoFolder))
        files.insert(entry.path().filename().string());
    EXPECT_EQ(files, (std::set<std::string>{"dry.wav", "bass.wav", "big-drum.wav",
                                            "electro-drum.wav", "dj-decks.wav", "talking-drum.wav",
                                            "hawaiian-guitar.wav", "flanger.wav", "sweep.wav"}));
    for (const char* preset : {"Bass", "Hawaiian Guitar", "Sweep", "peak dBFS", "automation"})
        EXPECT_NE(result.out.find(preset), std::string::npos) << preset;
    test::Audio dry = test::readAudio((dir.path() / kDemoFolder / "dry.wav").string());
    test::Audio sweep = test::readAudio((dir.path() / kDemoFolder / "sweep.wav").string());
    EXPECT_EQ(dry.samples.size(), sweep.samples.size());
    EXPECT_NE(dry.samples, sweep.samples);
}

TEST_F(RenderCommand, InfoReportsWhatAHostLearns) {
    ScratchFolder dir("info");
    auto result = dir.run({"--info"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    for (const char* expected :
         {"Effect name:     Brindlet", "Vendor:          Korvane", "Product:         Brindlet 1.0",
          "0x6a373736 'j776'", "hasEditor canMono canReplacing", "2 in, 2 out", "465 x 360",
          "Parameters (14)", "Trig/ Selectivity", "Dry 0% / Wet100%", "samples", "Programs (16",
          "Hawaiian Guitar", "current 0, not applied: parameters are defaults",
          "receiveVstMidiEvent  yes", "bypass"}) {
        EXPECT_NE(result.out.find(expected), std::string::npos) << expected << "\n" << result.out;
    }
}

// Not-a-number from the plug-in is written as silence and infinity as full scale, in every
// encoding, with one warning that counts them.
TEST(RenderCommandWithFakes, NonFiniteSamplesAreWrittenSafelyAndCounted) {
    ScratchFolder dir("nan");
    writeInput(dir / "in.wav", 2, 1000);
    const test::Audio in = test::readAudio(dir / "in.wav");
    for (const char* name : {"out.wav", "out.flac", "out.aiff"}) {
        auto result =
            dir.run({"in.wav", name, "-q", "--block", "100", "--plugin", test::fakeModule("nan")});
        ASSERT_EQ(result.exitCode, 0) << name << result.err;
        EXPECT_EQ(result.err,
                  "brindlet-render: warning: the plug-in produced 260 samples that are not "
                  "numbers or infinite; written as 0 and full scale\n");
        test::Audio out = test::readAudio(dir / name);
        ASSERT_EQ(out.samples.size(), in.samples.size()) << name;
        for (size_t frame = 0; frame < 1000; ++frame) {
            float left = frame % 100 % 4 == 0 ? 0.0f : in.samples[2 * frame];
            float right = frame % 100 == 1 ? 32767.0f / 32768.0f : in.samples[2 * frame + 1];
            ASSERT_EQ(out.samples[2 * frame], left) << name << " frame " << frame;
            ASSERT_EQ(out.samples[2 * frame + 1], right) << name << " frame " << frame;
        }
    }
}

struct ErrorCase {
    std::vector<std::string> args;
    const char* message;
    int exitCode;
};

TEST_F(RenderCommand, EveryErrorIsOneLineAndLeavesNoFile) {
    ScratchFolder dir("errors");
    writeInput(dir / "in.wav", 2, 4410);
    writeInput(dir / "three.wav", 3, 100);
    std::ofstream(dir / "text.wav") << "not audio\n";
    std::filesystem::create_directory(dir.path() / "folder");
    writeInput(dir / "cut.flac", 2, kRate, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    std::filesystem::resize_file(dir / "cut.flac",
                                 std::filesystem::file_size(dir / "cut.flac") / 2);
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    std::ofstream(dir / "fake.so") << std::string(200, 'x') << "\n";
    const std::vector<ErrorCase> cases = {
        {{"missing.wav", "out.wav"}, "missing.wav: no such file", 1},
        {{"text.wav", "out.wav"}, "text.wav: cannot read audio", 1},
        {{"three.wav", "out.wav"}, "has 3 channels", 1},
        {{"cut.flac", "out.wav"}, "cut.flac: cannot read the whole file (read ", 1},
        {{"in.wav", "no/such/dir/out.wav"},
         "no/such/dir/out.wav: cannot write (no folder no/such/dir)",
         1},
        {{"in.wav", "folder"}, "folder: cannot write (it is a directory)", 1},
        {{"in.wav", "fifo"}, "fifo: cannot write (not a regular file)", 1},
        {{"in.wav", "out.wav", "--plot", "fifo"}, "fifo: cannot write (not a regular file)", 1},
        {{"in.wav", "out.wav", "--plot", "no/dir/p.png"},
         "no/dir/p.png: cannot write (no folder no/dir)",
         1},
        {{"in.wav", "out.wav", "--program", "Polka"}, "unknown program 'Polka'", 2},
        {{"in.wav", "out.wav", "--program", "16"}, "program 16 is out of range", 2},
        {{"in.wav", "out.wav", "--param", "Volume=1"}, "unknown parameter 'Volume'", 2},
        {{"in.wav", "out.wav", "--param", "Mix=1.5"}, "malformed --param 'Mix=1.5'", 2},
        {{"in.wav", "out.wav", "--param", "Mix"}, "malformed --param 'Mix'", 2},
        {{"in.wav", "out.wav", "--note", "1:60"}, "malformed --note '1:60'", 2},
        {{"in.wav", "out.wav", "--note", "-1:60:100"}, "malformed --note", 2},
        {{"in.wav", "out.wav", "--block", "0"}, "malformed --block '0'", 2},
        {{"in.wav", "out.wav", "--tail", "x"}, "malformed --tail 'x'", 2},
        {{"in.wav", "out.wav", "--block"}, "option --block needs a value", 2},
        {{"in.wav", "out.wav", "--loud"}, "unknown option '--loud'", 2},
        {{"in.wav"}, "missing output file", 2},
        {{"in.wav", "out.txt"}, "out.txt: cannot tell the format from the extension '.txt'", 2},
        {{"in.wav", "out"}, "out: cannot tell the format from a name without an extension", 2},
        {{"in.wav", "out.mp4"}, "out.mp4: cannot tell the format from the extension '.mp4'", 2},
        {{"in.wav", "out.flac", "--bits", "float"}, "cannot write FLAC with that --bits", 2},
        {{"in.wav", "out.opus"},
         "out.opus: Opus is written at 8000, 12000, 16000, 24000 or 48000 Hz",
         2},
        {{"in.wav", "./in.wav"}, "./in.wav is the input file", 2},
        {{"in.wav", "out.wav", "--midi", "text.wav"}, "text.wav: not a Standard MIDI File", 1},
        {{"in.wav", "out.wav", "--midi", "none.mid"}, "none.mid: cannot open", 1},
        {{"in.wav", "out.wav", "--rate", "0"}, "malformed --rate '0'", 2},
        {{"in.wav", "out.wav", "--bits", "8"}, "malformed --bits '8'", 2},
        {{"in.wav", "out.wav", "--note", "1:H2:100"}, "malformed --note", 2},
        {{"in.wav", "out.wav", "--jobs", "2"}, "needs an output folder: -o DIR", 2},
        {{"-o", "nowhere", "in.wav"}, "nowhere: no such folder", 1},
        {{"-o", ".", "in.wav", "./in.wav"}, "two renders would write", 2},
        {{"", "out.wav"}, "empty file name", 2},
        {{"--plot="}, "malformed --plot '': expected a value that is not empty", 2},
        {{"--program", "1"}, "--program and --plot need a file render", 2},
        {{"in.wav", "out.wav", "--plugin", "text.wav"}, "not a loadable shared object", 3},
        {{"--info", "--plugin", "fake.so"}, "error: fake.so: not a loadable shared object (", 3},
        {{"in.wav", "out.wav", "--plugin", "none.so"}, "none.so: no such file", 3},
        {{"in.wav", "out.wav", "--plugin", test::fakeModule("noentry")},
         "exports neither VSTPluginMain nor main",
         3},
        {{"in.wav", "out.wav", "--plugin", test::fakeModule("null")}, "returned no instance", 3},
        {{"in.wav", "out.wav", "--plugin", test::fakeModule("wide")}, "2 inputs and 6 outputs", 3},
        {{"in.wav", "out.wav", "--plugin", test::fakeModule("shifty")},
         "switched on with 2 inputs and 6 outputs",
         3},
    };
    auto before = dir.files();
    for (const auto& c : cases) {
        auto result = dir.run(c.args);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.message << "\n" << result.err;
        EXPECT_EQ(result.err.rfind("brindlet-render: error: ", 0), 0u) << result.err;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "") << c.message;
        EXPECT_EQ(test::countLines(result.err), 1u) << result.err;
        EXPECT_EQ(dir.files(), before) << "left a file behind: " << c.message;
    }
    EXPECT_TRUE(std::filesystem::is_fifo(dir.path() / "fifo"));
}

}  // namespace
}  // namespace brindlet
