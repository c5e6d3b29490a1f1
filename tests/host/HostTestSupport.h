// The fake test modules built next to the host tests and an instance of the well-behaved one;
// scratch folders, audio written and read back, and the built brindlet-render run in a scratch
// folder with what it printed collected.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "host/AudioFile.h"
#include "host/PluginInstance.h"

namespace brindlet::test {

struct CommandResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

struct Audio {
    AudioFormat format;
    std::vector<float> samples;  // interleaved
};

inline std::string fakeModule(const std::string& variant) {
    return std::string(FAKE_PLUGIN_DIR) + "/" + variant + ".so";
}

class FakeInstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        module = PluginModule::load(fakeModule("good"), error);
        ASSERT_TRUE(module) << error;
        plugin = PluginInstance::create(module, host, error);
        ASSERT_TRUE(plugin) << error;
    }

    std::shared_ptr<PluginModule> module;
    PluginHost host;
    std::unique_ptr<PluginInstance> plugin;
};

inline std::string ourPlugin() {
    return std::string(BRINDLET_BUILD_DIR) + "/brindlet.so";
}

inline std::string quoted(const std::string& text) {
    std::string q = "'";
    for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

inline std::string slurp(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline size_t countLines(const std::string& text) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

inline Audio readAudio(const std::string& path) {
    Audio audio;
    AudioReader reader;
    std::string error;
    if (!reader.open(path, error)) return audio;
    audio.format = reader.format();
    audio.samples.resize(static_cast<size_t>(reader.frames() * audio.format.channels));
    reader.read(audio.samples.data(), reader.frames());
    return audio;
}

// A 220 Hz sine, each further channel the negative of the one before.
inline void writeSine(const std::string& path, int32_t format, int rate = 44100, int frames = 22050,
                      float level = 0.5f, int channels = 2) {
    std::vector<std::vector<float>> signal(static_cast<size_t>(channels));
    for (int i = 0; i < frames; ++i) {
        auto value = static_cast<float>(level * std::sin(2 * M_PI * 220.0 * i / rate));
        for (int c = 0; c < channels; ++c)
            signal[static_cast<size_t>(c)].push_back(c % 2 ? -value : value);
    }
    std::string error;
    ASSERT_TRUE(writeAudioFile(path, {rate, channels, format}, signal, error)) << error;
}

// A fresh folder per test, removed at the end.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name)
        : path_(std::filesystem::temp_directory_path() /
                ("brindlet_render_" + name + "_" + std::to_string(::getpid()))) {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() { std::filesystem::remove_all(path_); }
    const std::filesystem::path& path() const { return path_; }
    std::string operator/(const std::string& file) const { return (path_ / file).string(); }

    std::set<std::string> files(const std::string& folder = ".") const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_ / folder))
            names.insert(entry.path().filename().string());
        return names;
    }

    // Runs brindlet-render with `args` inside this folder.
    CommandResult run(const std::vector<std::string>& args) const {
        std::string command = "cd " + quoted(path_.string()) + " && " +
                              quoted(std::string(BRINDLET_BUILD_DIR) + "/host/brindlet-render");
        for (const auto& arg : args) command += " " + quoted(arg);
        command += " >" + quoted((path_ / ".stdout").string()) + " 2>" +
                   quoted((path_ / ".stderr").string()) + " </dev/null";
        int status = std::system(command.c_str());
        CommandResult result;
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = slurp(path_ / ".stdout");
        result.err = slurp(path_ / ".stderr");
        std::filesystem::remove(path_ / ".stdout");
        std::filesystem::remove(path_ / ".stderr");
        return result;
    }

    // A render of args[0] into args[1] that must succeed, and what it wrote.
    Audio render(const std::vector<std::string>& args) const {
        CommandResult result = run(args);
        EXPECT_EQ(result.exitCode, 0) << args[1] << ": " << result.err;
        return readAudio(*this / args[1]);
    }

private:
    std::filesystem::path path_;
};

// A scratch folder named after the test.
class FolderTest : public ::testing::Test {
protected:
    ScratchFolder dir{::testing::UnitTest::GetInstance()->current_test_info()->name()};
};

// Tests of the command with our own plug-in; skipped while brindlet.so is not built.
class OurPluginTest : public FolderTest {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(ourPlugin()))
            GTEST_SKIP() << "brindlet.so is not built at " << ourPlugin();
    }
};

}  // namespace brindlet::test
