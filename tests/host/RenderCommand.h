// Scratch folders for the host tests, audio read back from files, and the built brindlet-render
// run in a scratch folder with what it printed collected.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/AudioFile.h"

namespace brindlet::test {

struct CommandResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline std::string ourPlugin() {
    return std::string(BRINDLET_BUILD_DIR) + "/brindlet.so";
}
inline std::string renderProgram() {
    return std::string(BRINDLET_BUILD_DIR) + "/host/brindlet-render";
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

// Tests of the command with our own plug-in; skipped while brindlet.so is not built.
class OurPluginTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(ourPlugin()))
            GTEST_SKIP() << "brindlet.so is not built at " << ourPlugin();
    }
};

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

    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_))
            names.push_back(entry.path().filename().string());
        return names;
    }

    // Runs brindlet-render with `args` inside this folder.
    CommandResult run(const std::vector<std::string>& args) const {
        std::string command = "cd " + quoted(path_.string()) + " && " + quoted(renderProgram());
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

private:
    std::filesystem::path path_;
};

struct Audio {
    AudioFormat format;
    std::vector<float> samples;  // interleaved
};

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

}  // namespace brindlet::test
