// brindlet-render driven as a person runs it: renders in every format, notes and MIDI files, the
// demo, batches, the reports, what it does with odd input and plug-in output, and every error.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>

#include <cmath>

#include "host/DemoRender.h"
#include "tests/host/HostTestSupport.h"
#include "tools/demo/DemoSignal.h"

namespace brindlet {
namespace {

constexpr int kRate = 44100;
constexpr int kWav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;

using test::writeSine;
using RenderCommand = test::OurPluginTest;
using RenderCommandWithFakes = test::FolderTest;

// The mix smoother starts fully wet and moves 441 / rate per frame, so at 44.1 kHz the dry
// signal is exact from frame 100 on.
constexpr size_t kMixSettleFrames = 100;

// Every extension libsndfile writes gives that format (the refused ones are in the error table).
// With Mix at 0 every lossless encoding gives the input back exactly, and a mono file feeds both
// inputs; codecs pad the start and end a little, so their length is only about half a second.
TEST_F(RenderCommand, TheExtensionPicksTheFormatAndMixZeroReproducesTheInput) {
    const struct {
        int32_t input;
        int rate, channels;
        const char* name;
        int32_t format;
    } cases[] = {
        {kWav16, kRate, 2, "a.wav", kWav16},
        {SF_FORMAT_FLAC | SF_FORMAT_PCM_24, kRate, 2, "a.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24},
        {SF_FORMAT_AIFF | SF_FORMAT_FLOAT, kRate, 2, "a.aiff", SF_FORMAT_AIFF | SF_FORMAT_FLOAT},
        {kWav16, kRate, 1, "m.wav", kWav16},
        {kWav16, kRate, 2, "o.au", SF_FORMAT_AU | SF_FORMAT_PCM_16},
        {kWav16, kRate, 2, "o.caf", SF_FORMAT_CAF | SF_FORMAT_PCM_16},
        {kWav16, kRate, 2, "o.w64", SF_FORMAT_W64 | SF_FORMAT_PCM_16},
        {kWav16, kRate, 2, "o.rf64", SF_FORMAT_RF64 | SF_FORMAT_PCM_16},
        {kWav16, kRate, 2, "o.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS},
        {kWav16, kRate, 2, "o.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III},
        {kWav16, 48000, 2, "o.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string input = "in-" + std::string(c.name) + ".wav";
        writeSine(dir / input, c.input, c.rate, c.rate / 2, 0.5f, c.channels);
        test::Audio out = dir.render({input, c.name, "--param=mix=0", "--quiet"});
        test::Audio in = test::readAudio(dir / input);
        EXPECT_EQ(out.format.format, c.format);
        EXPECT_EQ(out.format.sampleRate, c.rate);
        const int32_t codec = c.format & SF_FORMAT_SUBMASK;
        if (codec == SF_FORMAT_VORBIS || codec == SF_FORMAT_MPEG_LAYER_III ||
            codec == SF_FORMAT_OPUS) {
            EXPECT_NEAR(static_cast<double>(out.samples.size()) / 2 / c.rate, 0.5, 0.06);
            continue;
        }
        ASSERT_EQ(out.samples.size(), in.samples.size() * 2 / c.channels);
        for (size_t i = 2 * kMixSettleFrames; i < out.samples.size(); ++i)
            ASSERT_EQ(out.samples[i], in.samples[c.channels == 2 ? i : i / 2]) << "sample " << i;
    }
}

// A note starts a take at its block, given by number, by name (C3 is 48) or in a MIDI file (480
// ticks at the default 120 bpm are 0.5 s); the render without it, in blocks of another size, is
// the same up to there.
TEST_F(RenderCommand, NotesByNumberNameOrMidiFileStartATakeAtTheirBlock) {
    writeSine(dir / "in.wav", kWav16, kRate, kRate);
    const unsigned char song[] = {'M',  'T',  'h',  'd', 0,   0,    0,    6,    0,   0, 0,
                                  1,    0x01, 0xe0, 'M', 'T', 'r',  'k',  0,    0,   0, 9,
                                  0x83, 0x60, 0x90, 48,  100, 0x00, 0xff, 0x2f, 0x00};
    std::ofstream(dir / "song.mid", std::ios::binary)
        .write(reinterpret_cast<const char*>(song), sizeof song);
    test::Audio plain = dir.render({"in.wav", "p.wav", "-q"});
    test::Audio noted =
        dir.render({"in.wav", "k.wav", "--note", "0.5:48:100", "--block", "256", "-q"});
    ASSERT_EQ(dir.run({"in.wav", "n.wav", "--note", "0.5:C3:100", "--block", "256"}).exitCode, 0);
    ASSERT_EQ(dir.run({"in.wav", "m.wav", "--midi", "song.mid", "--block", "256"}).exitCode, 0);
    EXPECT_EQ(test::slurp(dir.path() / "n.wav"), test::slurp(dir.path() / "k.wav"));
    EXPECT_EQ(test::slurp(dir.path() / "m.wav"), test::slurp(dir.path() / "k.wav"));
    ASSERT_EQ(plain.samples.size(), noted.samples.size());
    size_t firstDifference = plain.samples.size();
    for (size_t i = 0; i < plain.samples.size() && firstDifference == plain.samples.size(); ++i)
        if (plain.samples[i] != noted.samples[i]) firstDifference = i;
    constexpr size_t kBlockStart = 22050 / 256 * 256;
    EXPECT_GE(firstDifference / 2, kBlockStart);
    EXPECT_LT(firstDifference / 2, kBlockStart + 256);
}

// The plot's own temp name and a link to it are handled as the audio writer handles them.
TEST_F(RenderCommand, ProgramTailFormatAndPlot) {
    writeSine(dir / "in.wav", kWav16);
    std::ofstream(dir / "p.png.tmp") << "someone else's";  // not ours to delete
    std::filesystem::create_symlink("p.png", dir / "link.png");
    test::Audio named = dir.render({"in.wav", "named.flac", "--program", "big drum", "-q"});
    test::Audio numbered = dir.render(
        {"in.wav", "numbered.flac", "--program=1", "--tail", "0.25", "--plot", "link.png", "-q"});
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
    auto result = dir.run({});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(dir.files(kDemoFolder),
              (std::set<std::string>{"dry.wav", "bass.wav", "big-drum.wav", "electro-drum.wav",
                                     "dj-decks.wav", "talking-drum.wav", "hawaiian-guitar.wav",
                                     "flanger.wav", "sweep.wav"}));
    for (const char* preset : {"Bass", "Hawaiian Guitar", "Sweep", "peak dBFS", "automation"})
        EXPECT_NE(result.out.find(preset), std::string::npos) << preset;
    test::Audio dry = test::readAudio(dir / (kDemoFolder + std::string("/dry.wav")));
    test::Audio sweep = test::readAudio(dir / (kDemoFolder + std::string("/sweep.wav")));
    EXPECT_EQ(dry.samples.size(), sweep.samples.size());
    EXPECT_NE(dry.samples, sweep.samples);
}

// --info on our plug-in; the program line also says nothing claimed the program's settings.
TEST_F(RenderCommand, InfoReportsWhatAHostLearns) {
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
TEST_F(RenderCommandWithFakes, NonFiniteSamplesAreWrittenSafelyAndCounted) {
    writeSine(dir / "in.wav", kWav16, kRate, 1000);
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

// An MP3 decodes to a little less or more than its header estimates; the render takes what is
// there and writes plain PCM, never the MP3 encoding, into any container.
TEST_F(RenderCommand, Mp3AndCutOffInputRenderWhatIsThere) {
    writeSine(dir / "in.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III);
    test::Audio decoded = test::readAudio(dir / "in.mp3");
    for (const char* name : {"o.wav", "o.flac", "o.aiff"}) {
        test::Audio out = dir.render({"in.mp3", name, "-q", "--param", "mix=0"});
        EXPECT_EQ(out.format.format & SF_FORMAT_SUBMASK, SF_FORMAT_PCM_24) << name;
        EXPECT_EQ(out.samples.size(), decoded.samples.size()) << name;
    }
    for (const auto& file : dir.files()) EXPECT_EQ(file.find(".tmp"), std::string::npos) << file;

    // A cut-off WAV is rendered as far as it goes, with a warning that gives both lengths.
    writeSine(dir / "in.wav", kWav16, 44100, 44100);
    std::filesystem::resize_file(dir / "in.wav", 44 + 4 * 22050);
    auto result = dir.run({"in.wav", "o.wav", "-q"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.err.find("declares 1.00 s (44100 frames) but it holds 0.50 s (22050 frames)"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(test::readAudio(dir / "o.wav").samples.size(), 2u * 22050);
}

TEST_F(RenderCommand, TheInputIsNeverTheOutput) {
    writeSine(dir / "in.wav", kWav16);
    std::string original = test::slurp(dir.path() / "in.wav");
    std::filesystem::create_symlink("in.wav", dir.path() / "link.wav");
    std::filesystem::create_hard_link(dir.path() / "in.wav", dir.path() / "hard.wav");
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"in.wav", "in.wav"},
                                               {"in.wav", "./in.wav"},
                                               {"in.wav", "link.wav"},
                                               {"link.wav", "./hard.wav"},
                                               {"in.wav", "o.wav", "--plot", "in.wav"}}) {
        auto result = dir.run(args);
        EXPECT_EQ(result.exitCode, 2) << args[1];
        EXPECT_NE(result.err.find("is the input file"), std::string::npos) << result.err;
        EXPECT_EQ(test::countLines(result.err), 1u);
    }
    EXPECT_EQ(test::slurp(dir.path() / "in.wav"), original);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "o.wav"));
}

// The fake doubles its input at gain 1: integer outputs clip and say so, float keeps the overs.
TEST_F(RenderCommandWithFakes, IntegerOutputsClipOrDitherAndFloatKeepsEverything) {
    writeSine(dir / "in.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 44100, 4410, 0.75f);
    std::vector<std::string> args = {"in.wav",  "o.wav", "-q", "--plugin", test::fakeModule("good"),
                                     "--param", "Gain=1"};
    auto clipped = dir.run(args);
    ASSERT_EQ(clipped.exitCode, 0) << clipped.err;
    EXPECT_NE(clipped.err.find("samples reached or passed full scale (peak +3.5 dBFS)"),
              std::string::npos)
        << clipped.err;
    test::Audio in = test::readAudio(dir / "in.wav");
    test::Audio out = test::readAudio(dir / "o.wav");
    EXPECT_EQ(*std::max_element(out.samples.begin(), out.samples.end()), 8388607.0f / 8388608.0f);

    args[1] = "f.wav";
    args.insert(args.end(), {"--bits", "float"});
    auto kept = dir.run(args);
    ASSERT_EQ(kept.exitCode, 0) << kept.err;
    EXPECT_EQ(kept.err, "");
    test::Audio floats = test::readAudio(dir / "f.wav");
    EXPECT_EQ(floats.format.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    ASSERT_EQ(floats.samples.size(), in.samples.size());
    for (size_t i = 0; i < in.samples.size(); ++i) ASSERT_EQ(floats.samples[i], 2 * in.samples[i]);

    // Reducing 24 to 16 bits dithers by default with one LSB of triangular noise: within one
    // step, unbiased; --dither none rounds; float is never dithered.
    writeSine(dir / "in.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 44100, 4410, 0.3f);
    auto render = [&](const std::string& name, std::vector<std::string> extra) {
        std::vector<std::string> line = {"in.wav", name, "-q", "--plugin",
                                         test::fakeModule("good")};
        line.insert(line.end(), extra.begin(), extra.end());
        return dir.render(line);
    };
    in = test::readAudio(dir / "in.wav");
    test::Audio dithered = render("d.wav", {"--bits", "16"});
    test::Audio rounded = render("r.wav", {"--bits", "16", "--dither", "none"});
    floats = render("f.wav", {"--bits", "float", "--dither", "tpdf"});
    EXPECT_EQ(dithered.format.format, kWav16);
    size_t differ = 0;
    double sumError = 0.0;
    for (size_t i = 0; i < in.samples.size(); ++i) {
        ASSERT_LE(std::fabs(rounded.samples[i] - in.samples[i]) * 32768.0f, 0.5f) << i;
        ASSERT_LE(std::fabs(dithered.samples[i] - in.samples[i]) * 32768.0f, 1.51f) << i;
        sumError += (dithered.samples[i] - in.samples[i]) * 32768.0;
        differ += dithered.samples[i] != rounded.samples[i] ? 1 : 0;
        ASSERT_EQ(floats.samples[i], in.samples[i]);
    }
    EXPECT_GT(differ, in.samples.size() / 10);
    EXPECT_LT(std::fabs(sumError / static_cast<double>(in.samples.size())), 0.05);
}

// A change at 0.25 s with 256-frame blocks lands mid-block; the output follows from that frame.
TEST_F(RenderCommandWithFakes, ParamAtChangesTheOutputFromItsFrame) {
    writeSine(dir / "in.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    test::Audio out = dir.render({"in.wav", "o.wav", "-q", "--plugin", test::fakeModule("good"),
                                  "--param-at", "0.25:Gain=1"});
    test::Audio in = test::readAudio(dir / "in.wav");
    ASSERT_EQ(out.samples.size(), in.samples.size());
    for (size_t i = 0; i < in.samples.size(); ++i)
        ASSERT_EQ(out.samples[i], (i / 2 < 11025 ? 1.0f : 2.0f) * in.samples[i]) << i / 2;
}

// The fake at unity gain shows the converter alone: the rate and length asked for, the level kept.
TEST_F(RenderCommandWithFakes, RateResamplesToTheRequestedRateAndLength) {
    writeSine(dir / "in.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 22050, 0.5f);
    for (int rate : {48000, 22050, 96000}) {
        test::Audio out = dir.render({"in.wav", "o.wav", "-q", "--plugin", test::fakeModule("good"),
                                      "--rate", std::to_string(rate)});
        EXPECT_EQ(out.format.sampleRate, rate);
        EXPECT_NEAR(static_cast<double>(out.samples.size()) / 2, rate / 2.0, 1.0) << rate;
        double sum = 0.0;
        for (size_t i = out.samples.size() / 4; i < out.samples.size() * 3 / 4; ++i)
            sum += out.samples[i] * out.samples[i];
        EXPECT_NEAR(std::sqrt(sum / static_cast<double>(out.samples.size() / 2)),
                    0.5 / std::sqrt(2.0), 0.01)
            << rate;
    }
}

// One output per input; a bad input is reported and the others are still written.
TEST_F(RenderCommand, BatchesWriteOneOutputPerInputOrProgramAndSurviveABadInput) {
    writeSine(dir / "a.wav", kWav16);
    writeSine(dir / "b.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
    std::ofstream(dir / "bad.wav") << "not audio\n";
    std::filesystem::create_directory(dir.path() / "out");
    auto result = dir.run({"-o", "out", "a.wav", "bad.wav", "b.flac", "--jobs", "2"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("bad.wav: cannot read audio"), std::string::npos) << result.err;
    EXPECT_NE(result.out.find("bad.wav"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("failed (exit 1)"), std::string::npos) << result.out;
    EXPECT_EQ(dir.files("out"), (std::set<std::string>{"a.wav", "b.flac"}));
    EXPECT_EQ(test::readAudio(dir / "out/b.flac").format.format, SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
    EXPECT_EQ(test::readAudio(dir / "out/a.wav").samples.size(), 2u * 22050);

    // --all-programs gives the demo's treatment to any file: every program, one file each, a table.
    writeSine(dir / "loop.wav", kWav16);
    result = dir.run({"loop.wav", "-o", ".", "--all-programs", "-j", "3"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    for (const char* file : {"loop-bass.wav", "loop-big-drum.wav", "loop-sweep.wav"}) {
        EXPECT_TRUE(std::filesystem::exists(dir.path() / file)) << file;
        EXPECT_NE(result.out.find(file), std::string::npos) << result.out;
    }
    EXPECT_NE(result.out.find("Hawaiian Guitar"), std::string::npos) << result.out;
    test::Audio bass = test::readAudio(dir / "loop-bass.wav");
    test::Audio sweep = test::readAudio(dir / "loop-sweep.wav");
    EXPECT_NE(bass.samples, sweep.samples);
}

// The reports. Without --program nothing selected a program, so nothing may claim its settings
// are in force.
TEST_F(RenderCommand, VersionListsJsonAndSummary) {
    EXPECT_EQ(dir.run({"--version"}).out, "brindlet-render 1.1.0\n");
    auto programs = dir.run({"--list-programs"});
    EXPECT_EQ(programs.exitCode, 0);
    EXPECT_EQ(programs.out.rfind("0\tBass\n1\tBig Drum\n", 0), 0u) << programs.out;
    auto params = dir.run({"--list-params"});
    EXPECT_EQ(test::countLines(params.out), 14u) << params.out;
    EXPECT_NE(params.out.find("Dry 0% / Wet100%"), std::string::npos) << params.out;
    writeSine(dir / "in.wav", kWav16);
    auto json = dir.run({"in.wav", "o.wav", "--json", "--info"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    EXPECT_EQ(json.out.rfind("{\"module\": ", 0), 0u) << json.out;
    EXPECT_NE(json.out.find("\"programs\": [\"Bass\", \"Big Drum\""), std::string::npos);
    EXPECT_NE(json.out.find("\"program\": \"program 0 'Bass' (not applied: defaults)\""),
              std::string::npos)
        << json.out;
    EXPECT_NE(json.out.find("\"programApplied\": false"), std::string::npos);
    auto chosen = dir.run({"in.wav", "o.wav", "--json", "--program", "Big Drum"});
    EXPECT_NE(chosen.out.find("\"program\": \"program 1 'Big Drum'\""), std::string::npos)
        << chosen.out;
    auto render = dir.run({"in.wav", "o.wav"});
    EXPECT_NE(render.out.find("0 over full scale, 0 automation request(s), "), std::string::npos)
        << render.out;
    EXPECT_NE(render.out.find("x real time\n"), std::string::npos) << render.out;
    auto summary = dir.run({"in.wav", "o.wav", "--json"});
    EXPECT_EQ(summary.out.rfind("{\"output\": \"o.wav\", \"channels\": 2, \"sampleRate\": 44100, "
                                "\"seconds\": 0.500000, ",
                                0),
              0u)
        << summary.out;
}

// Against a plug-in we did not write: an LSP stereo effect, when the package is there.
constexpr const char* kLspDelay = "/usr/lib/vst/lsp-plugins/comp-delay-stereo.so";

TEST_F(RenderCommandWithFakes, ThirdPartyPluginInfoAndRender) {
    if (!std::filesystem::exists(kLspDelay))
        GTEST_SKIP() << kLspDelay << " is missing (Debian package lsp-plugins-vst)";
    auto info = dir.run({"--info", "--plugin", kLspDelay});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    for (const char* expected : {"Vendor:          LSP VST", "2 in, 2 out", "Parameters (11)",
                                 "bypass", "wet", "g_out", "Programs (0", "Can do:"})
        EXPECT_NE(info.out.find(expected), std::string::npos) << expected << "\n" << info.out;

    writeSine(dir / "in.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    test::Audio in = test::readAudio(dir / "in.wav");
    test::Audio same = dir.render({"in.wav", "same.wav", "--plugin", kLspDelay, "-q"});
    test::Audio mute =
        dir.render({"in.wav", "mute.wav", "--plugin", kLspDelay, "--param", "wet=0", "-q"});
    ASSERT_EQ(same.samples.size(), in.samples.size());
    ASSERT_EQ(mute.samples.size(), in.samples.size());
    for (size_t i = 0; i < in.samples.size(); ++i) {
        ASSERT_NEAR(same.samples[i], in.samples[i], 1e-4f) << i;
        ASSERT_EQ(mute.samples[i], 0.0f) << i;
    }
}

// How each refusal reads and exits. Refusals the library and file writer tests already word
// (plug-ins that are not plug-ins, outputs that are not regular files, the input as output) are
// left to them.
TEST_F(RenderCommand, EveryErrorIsOneLineAndLeavesNoFile) {
    writeSine(dir / "in.wav", kWav16, kRate, 4410);
    writeSine(dir / "three.wav", kWav16, kRate, 100, 0.5f, 3);
    std::ofstream(dir / "text.wav") << "not audio\n";
    writeSine(dir / "cut.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, kRate, kRate);
    std::filesystem::resize_file(dir / "cut.flac",
                                 std::filesystem::file_size(dir / "cut.flac") / 2);
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    std::ofstream(dir / "fake.so") << std::string(200, 'x') << "\n";
    const std::string shifty = test::fakeModule("shifty");
    const struct {
        std::vector<std::string> args;
        const char* message;
        int exitCode;
    } cases[] = {
        {{"missing.wav", "out.wav"}, "missing.wav: no such file", 1},
        {{"text.wav", "out.wav"}, "text.wav: cannot read audio", 1},
        {{"three.wav", "out.wav"}, "has 3 channels", 1},
        {{"cut.flac", "out.wav"}, "cut.flac: cannot read the whole file (read ", 1},
        {{"in.wav", "no/dir/o.wav"}, "no/dir/o.wav: cannot write (no folder no/dir)", 1},
        {{"in.wav", "out.wav", "--plot", "fifo"}, "fifo: cannot write (not a regular file)", 1},
        {{"in.wav", "o.wav", "--plot", "n/p.png"}, "n/p.png: cannot write (no folder n)", 1},
        {{"in.wav", "out.wav", "--program", "Polka"}, "unknown program 'Polka'", 2},
        {{"in.wav", "out.wav", "--program", "16"}, "program 16 is out of range", 2},
        {{"in.wav", "out.wav", "--param", "Volume=1"}, "unknown parameter 'Volume'", 2},
        {{"in.wav", "out.wav", "--param-at", "1:Volume=1"}, "unknown parameter 'Volume'", 2},
        {{"in.wav", "out.wav", "--param", "Mix=1.5"}, "malformed --param 'Mix=1.5'", 2},
        {{"in.wav", "out.wav", "--param", "Mix"}, "malformed --param 'Mix'", 2},
        {{"in.wav", "out.wav", "--note", "1:60"}, "malformed --note '1:60'", 2},
        {{"in.wav", "out.wav", "--note", "-1:60:100"}, "malformed --note", 2},
        {{"in.wav", "out.wav", "--note", "1:H2:100"}, "malformed --note", 2},
        {{"in.wav", "out.wav", "--block", "0"}, "malformed --block '0'", 2},
        {{"in.wav", "out.wav", "--tail", "x"}, "malformed --tail 'x'", 2},
        {{"in.wav", "out.wav", "--rate", "0"}, "malformed --rate '0'", 2},
        {{"in.wav", "out.wav", "--rate", "44.1k"}, "malformed --rate '44.1k'", 2},
        {{"in.wav", "out.wav", "--bits", "8"}, "malformed --bits '8'", 2},
        {{"in.wav", "out.wav", "--block"}, "option --block needs a value", 2},
        {{"in.wav", "out.wav", "--loud"}, "unknown option '--loud'", 2},
        {{"in.wav"}, "missing output file", 2},
        {{"in.wav", "out.txt"}, "out.txt: cannot tell the format from the extension '.txt'", 2},
        {{"in.wav", "out"}, "out: cannot tell the format from a name without an extension", 2},
        {{"in.wav", "out.flac", "--bits", "float"}, "cannot write FLAC with that --bits", 2},
        {{"in.wav", "o.opus"},
         "o.opus: Opus is written at 8000, 12000, 16000, 24000 or 48000 Hz",
         2},
        {{"in.wav", "out.wav", "--midi", "text.wav"}, "text.wav: not a Standard MIDI File", 1},
        {{"in.wav", "out.wav", "--midi", "none.mid"}, "none.mid: cannot open", 1},
        {{"in.wav", "out.wav", "--jobs", "2"}, "needs an output folder: -o DIR", 2},
        {{"in.wav", "out.wav", "--all-programs"}, "needs an output folder: -o DIR", 2},
        {{"-o", "nowhere", "in.wav"}, "nowhere: no such folder", 1},
        {{"-o", ".", "in.wav", "./in.wav"}, "two renders would write", 2},
        {{"--program", "1"}, "--program and --plot need a file render", 2},
        {{"--info", "--plugin", "fake.so"}, "error: fake.so: not a loadable shared object (", 3},
        {{"in.wav", "out.wav", "--plugin", test::fakeModule("wide")}, "2 inputs and 6 outputs", 3},
        {{"in.wav", "o.wav", "--plugin", shifty}, "switched on with 2 inputs and 6 outputs", 3},
    };
    const auto before = dir.files();
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
