// brindlet-render's file handling as users meet it: formats, MP3 and cut-off input, clipping,
// dither, timed parameters, note names and the reports.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <fstream>
#include <set>

#include "tests/host/HostTestSupport.h"
#include "tests/host/RenderCommand.h"

namespace brindlet {
namespace {

using test::ScratchFolder;

std::vector<std::vector<float>> sine(int rate, int frames, float level) {
    std::vector<std::vector<float>> signal(2);
    for (int i = 0; i < frames; ++i) {
        auto value = static_cast<float>(level * std::sin(2 * M_PI * 220.0 * i / rate));
        signal[0].push_back(value);
        signal[1].push_back(-value);
    }
    return signal;
}

void writeSine(const std::string& path, int32_t format, int rate = 44100, int frames = 22050,
               float level = 0.5f) {
    std::string error;
    ASSERT_TRUE(writeAudioFile(path, {rate, 2, format}, sine(rate, frames, level), error)) << error;
}

using test::countLines;
using RenderFormats = test::OurPluginTest;

// Every extension libsndfile writes gives that format back (the refused ones are in the command's
// error table).
TEST_F(RenderFormats, TheExtensionPicksTheFormat) {
    ScratchFolder dir("formats");
    writeSine(dir / "in.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    writeSine(dir / "in48.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 48000, 24000);
    const std::pair<const char*, int32_t> written[] = {
        {"o.au", SF_FORMAT_AU | SF_FORMAT_PCM_16},
        {"o.caf", SF_FORMAT_CAF | SF_FORMAT_PCM_16},
        {"o.w64", SF_FORMAT_W64 | SF_FORMAT_PCM_16},
        {"o.rf64", SF_FORMAT_RF64 | SF_FORMAT_PCM_16},
        {"o.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS},
        {"o.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III},
        {"o.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS},
    };
    for (auto [name, format] : written) {
        std::string input = format == (SF_FORMAT_OGG | SF_FORMAT_OPUS) ? "in48.wav" : "in.wav";
        auto result = dir.run({input, name, "-q", "--param", "mix=0"});
        ASSERT_EQ(result.exitCode, 0) << name << ": " << result.err;
        test::Audio out = test::readAudio(dir / name);
        EXPECT_EQ(out.format.format, format) << name;
        // Codecs pad the start and end a little; the length is still about half a second.
        EXPECT_NEAR(static_cast<double>(out.samples.size()) / 2 / out.format.sampleRate, 0.5, 0.06)
            << name;
    }
}

// An MP3 decodes to a little less or more than its header estimates; the render takes what is
// there and writes plain PCM, never the MP3 encoding, into any container.
TEST_F(RenderFormats, Mp3InputRendersToEveryContainer) {
    ScratchFolder dir("mp3");
    writeSine(dir / "in.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III);
    test::Audio decoded = test::readAudio(dir / "in.mp3");
    for (const char* name : {"o.wav", "o.flac", "o.aiff"}) {
        auto result = dir.run({"in.mp3", name, "-q", "--param", "mix=0"});
        ASSERT_EQ(result.exitCode, 0) << name << ": " << result.err;
        test::Audio out = test::readAudio(dir / name);
        EXPECT_EQ(out.format.format & SF_FORMAT_SUBMASK, SF_FORMAT_PCM_24) << name;
        EXPECT_EQ(out.samples.size(), decoded.samples.size()) << name;
    }
    for (const auto& file : dir.files()) EXPECT_EQ(file.find(".tmp"), std::string::npos) << file;
}

TEST_F(RenderFormats, ACutOffWavIsRenderedWithAWarningGivingBothLengths) {
    ScratchFolder dir("cut");
    writeSine(dir / "in.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 44100);
    std::filesystem::resize_file(dir / "in.wav", 44 + 4 * 22050);
    auto result = dir.run({"in.wav", "o.wav", "-q"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.err.find("declares 1.00 s (44100 frames) but it holds 0.50 s (22050 frames)"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(test::readAudio(dir / "o.wav").samples.size(), 2u * 22050);
}

TEST_F(RenderFormats, TheInputIsNeverTheOutput) {
    ScratchFolder dir("same");
    writeSine(dir / "in.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    std::string original = test::slurp(dir.path() / "in.wav");
    std::filesystem::create_symlink("in.wav", dir.path() / "link.wav");
    std::filesystem::create_hard_link(dir.path() / "in.wav", dir.path() / "hard.wav");
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"in.wav", "in.wav"},
                                               {"in.wav", "link.wav"},
                                               {"link.wav", "./hard.wav"},
                                               {"in.wav", "o.wav", "--plot", "in.wav"}}) {
        auto result = dir.run(args);
        EXPECT_EQ(result.exitCode, 2) << args[1];
        EXPECT_NE(result.err.find("is the input file"), std::string::npos) << result.err;
        EXPECT_EQ(countLines(result.err), 1u);
    }
    EXPECT_EQ(test::slurp(dir.path() / "in.wav"), original);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "o.wav"));
}

// Without --program nothing selected a program, so nothing may claim its settings are in force
// (--info says so too, checked with the rest of its report).
TEST_F(RenderFormats, TheProgramIsOnlyClaimedWhenApplied) {
    ScratchFolder dir("claim");
    writeSine(dir / "in.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    auto bare = dir.run({"in.wav", "o.wav", "--json", "--info"});
    ASSERT_EQ(bare.exitCode, 0) << bare.err;
    EXPECT_NE(bare.out.find("\"program\": \"program 0 'Bass' (not applied: defaults)\""),
              std::string::npos)
        << bare.out;
    EXPECT_NE(bare.out.find("\"programApplied\": false"), std::string::npos);
    auto chosen = dir.run({"in.wav", "o.wav", "--json", "--program", "Big Drum"});
    EXPECT_NE(chosen.out.find("\"program\": \"program 1 'Big Drum'\""), std::string::npos)
        << chosen.out;
}

// The fake doubles its input at gain 1: integer outputs clip and say so, float keeps the overs.
TEST(RenderFormatsWithFakes, OversAreCountedAndFloatKeepsThem) {
    ScratchFolder dir("overs");
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
}

// Reducing 24 to 16 bits dithers by default; --dither none rounds; float is never dithered.
TEST(RenderFormatsWithFakes, DitherOnlyWhereBitsAreReduced) {
    ScratchFolder dir("dither");
    writeSine(dir / "in.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 44100, 4410, 0.3f);
    auto render = [&](const std::string& out, std::vector<std::string> extra) {
        std::vector<std::string> args = {"in.wav", out, "-q", "--plugin", test::fakeModule("good")};
        args.insert(args.end(), extra.begin(), extra.end());
        auto result = dir.run(args);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return test::readAudio(dir / out);
    };
    test::Audio in = test::readAudio(dir / "in.wav");
    test::Audio dithered = render("d.wav", {"--bits", "16"});
    test::Audio rounded = render("r.wav", {"--bits", "16", "--dither", "none"});
    test::Audio floats = render("f.wav", {"--bits", "float", "--dither", "tpdf"});
    EXPECT_EQ(dithered.format.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    size_t differ = 0;
    for (size_t i = 0; i < in.samples.size(); ++i) {
        ASSERT_LE(std::fabs(rounded.samples[i] - in.samples[i]) * 32768.0f, 0.5f) << i;
        ASSERT_LE(std::fabs(dithered.samples[i] - in.samples[i]) * 32768.0f, 1.51f) << i;
        differ += dithered.samples[i] != rounded.samples[i] ? 1 : 0;
        ASSERT_EQ(floats.samples[i], in.samples[i]);
    }
    EXPECT_GT(differ, in.samples.size() / 10);
}

// A change at 0.25 s with 256-frame blocks lands mid-block; the output follows from that frame.
TEST(RenderFormatsWithFakes, ParamAtChangesTheOutputFromItsFrame) {
    ScratchFolder dir("paramat");
    writeSine(dir / "in.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    auto result = dir.run({"in.wav", "o.wav", "-q", "--plugin", test::fakeModule("good"),
                           "--param-at", "0.25:Gain=1"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    test::Audio in = test::readAudio(dir / "in.wav");
    test::Audio out = test::readAudio(dir / "o.wav");
    ASSERT_EQ(out.samples.size(), in.samples.size());
    for (size_t i = 0; i < in.samples.size(); ++i)
        ASSERT_EQ(out.samples[i], (i / 2 < 11025 ? 1.0f : 2.0f) * in.samples[i]) << i / 2;
    auto bad = dir.run(
        {"in.wav", "o.wav", "--plugin", test::fakeModule("good"), "--param-at", "1:Volume=1"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_NE(bad.err.find("unknown parameter 'Volume'"), std::string::npos) << bad.err;
}

// The fake at unity gain shows the converter alone: the rate and length asked for, the level kept.
TEST(RenderFormatsWithFakes, RateResamplesToTheRequestedRateAndLength) {
    ScratchFolder dir("rate");
    writeSine(dir / "in.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 22050, 0.5f);
    for (int rate : {48000, 22050, 96000}) {
        auto result = dir.run({"in.wav", "o.wav", "-q", "--plugin", test::fakeModule("good"),
                               "--rate", std::to_string(rate)});
        ASSERT_EQ(result.exitCode, 0) << result.err;
        test::Audio out = test::readAudio(dir / "o.wav");
        EXPECT_EQ(out.format.sampleRate, rate);
        EXPECT_NEAR(static_cast<double>(out.samples.size()) / 2, rate / 2.0, 1.0) << rate;
        double sum = 0.0;
        for (size_t i = out.samples.size() / 4; i < out.samples.size() * 3 / 4; ++i)
            sum += out.samples[i] * out.samples[i];
        EXPECT_NEAR(std::sqrt(sum / static_cast<double>(out.samples.size() / 2)),
                    0.5 / std::sqrt(2.0), 0.01)
            << rate;
    }
    EXPECT_EQ(dir.run({"in.wav", "o.wav", "--rate", "44.1k"}).exitCode, 2);
}

// One output per input; a bad input is reported and the others are still written.
TEST_F(RenderFormats, BatchWritesOneOutputPerInputAndSurvivesABadOne) {
    ScratchFolder dir("batch");
    writeSine(dir / "a.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    writeSine(dir / "b.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
    std::ofstream(dir / "bad.wav") << "not audio\n";
    std::filesystem::create_directory(dir.path() / "out");
    auto result = dir.run({"-o", "out", "a.wav", "bad.wav", "b.flac", "--jobs", "2"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("bad.wav: cannot read audio"), std::string::npos) << result.err;
    EXPECT_NE(result.out.find("bad.wav"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("failed (exit 1)"), std::string::npos) << result.out;
    std::set<std::string> written;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path() / "out"))
        written.insert(entry.path().filename().string());
    EXPECT_EQ(written, (std::set<std::string>{"a.wav", "b.flac"}));
    EXPECT_EQ(test::readAudio(dir / "out/b.flac").format.format, SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
    EXPECT_EQ(test::readAudio(dir / "out/a.wav").samples.size(), 2u * 22050);
}

// --all-programs gives the demo's treatment to any file: every program, one file each, a table.
TEST_F(RenderFormats, AllProgramsRendersEveryProgramWithATable) {
    ScratchFolder dir("allprograms");
    writeSine(dir / "loop.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    auto result = dir.run({"loop.wav", "-o", ".", "--all-programs", "-j", "3"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    for (const char* file : {"loop-bass.wav", "loop-big-drum.wav", "loop-sweep.wav"}) {
        EXPECT_TRUE(std::filesystem::exists(dir.path() / file)) << file;
        EXPECT_NE(result.out.find(file), std::string::npos) << result.out;
    }
    EXPECT_NE(result.out.find("Hawaiian Guitar"), std::string::npos) << result.out;
    test::Audio bass = test::readAudio(dir / "loop-bass.wav");
    test::Audio sweep = test::readAudio(dir / "loop-sweep.wav");
    EXPECT_NE(bass.samples, sweep.samples);
    EXPECT_EQ(dir.run({"loop.wav", "o.wav", "--all-programs"}).exitCode, 2);
}

// A MIDI file's note at 0.5 s (480 ticks at the default 120 bpm) triggers exactly as --note does,
// and a note named C3 exactly as note 48.
TEST_F(RenderFormats, MidiFileNotesAndNoteNamesPlayAsNumberedNotes) {
    ScratchFolder dir("midi");
    writeSine(dir / "in.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 44100);
    const unsigned char song[] = {'M',  'T',  'h',  'd', 0,   0,    0,    6,    0,   0, 0,
                                  1,    0x01, 0xe0, 'M', 'T', 'r',  'k',  0,    0,   0, 9,
                                  0x83, 0x60, 0x90, 48,  100, 0x00, 0xff, 0x2f, 0x00};
    std::ofstream(dir / "song.mid", std::ios::binary)
        .write(reinterpret_cast<const char*>(song), sizeof song);
    ASSERT_EQ(dir.run({"in.wav", "m.wav", "-q", "--midi", "song.mid"}).exitCode, 0);
    ASSERT_EQ(dir.run({"in.wav", "n.wav", "-q", "--note", "0.5:C3:100"}).exitCode, 0);
    ASSERT_EQ(dir.run({"in.wav", "k.wav", "-q", "--note", "0.5:48:100"}).exitCode, 0);
    ASSERT_EQ(dir.run({"in.wav", "p.wav", "-q"}).exitCode, 0);
    EXPECT_EQ(test::slurp(dir.path() / "m.wav"), test::slurp(dir.path() / "n.wav"));
    EXPECT_EQ(test::slurp(dir.path() / "n.wav"), test::slurp(dir.path() / "k.wav"));
    EXPECT_NE(test::slurp(dir.path() / "m.wav"), test::slurp(dir.path() / "p.wav"));
    std::ofstream(dir / "bad.mid") << "MThd";
    auto bad = dir.run({"in.wav", "b.wav", "--midi", "bad.mid"});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.err.find("bad.mid: not a Standard MIDI File"), std::string::npos) << bad.err;
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "b.wav"));
}

TEST_F(RenderFormats, VersionListsJsonAndSummary) {
    ScratchFolder dir("reports");
    EXPECT_EQ(dir.run({"--version"}).out, "brindlet-render 1.1.0\n");
    auto programs = dir.run({"--list-programs"});
    EXPECT_EQ(programs.exitCode, 0);
    EXPECT_EQ(programs.out.rfind("0\tBass\n1\tBig Drum\n", 0), 0u) << programs.out;
    auto params = dir.run({"--list-params"});
    EXPECT_EQ(countLines(params.out), 14u) << params.out;
    EXPECT_NE(params.out.find("Dry 0% / Wet100%"), std::string::npos) << params.out;
    auto json = dir.run({"--info", "--json"});
    EXPECT_EQ(json.out.rfind("{\"module\": ", 0), 0u) << json.out;
    EXPECT_NE(json.out.find("\"programs\": [\"Bass\", \"Big Drum\""), std::string::npos);
    writeSine(dir / "in.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16);
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

}  // namespace
}  // namespace brindlet
