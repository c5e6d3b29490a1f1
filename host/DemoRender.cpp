// DemoRender: one fresh instance per preset, so no preset hears another's tail.
#include "host/DemoRender.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <set>

#include "host/AudioFile.h"
#include "host/BlockRenderer.h"
#include "host/PluginInfo.h"
#include "host/PluginSetup.h"
#include "host/ProgressBar.h"
#include "tools/demo/DemoSignal.h"

namespace brindlet {

namespace {

constexpr float kDemoRate = 44100.0f;

struct Row {
    std::string preset;
    std::string file;
    Level level;
    size_t automation = 0;
};

double toDb(double value) {
    return value > 0.0 ? 20.0 * std::log10(value) : -200.0;
}

std::vector<float> interleave(const StereoSignal& signal) {
    std::vector<float> out(signal.left.size() * 2);
    for (size_t i = 0; i < signal.left.size(); ++i) {
        out[2 * i] = signal.left[i];
        out[2 * i + 1] = i < signal.right.size() ? signal.right[i] : 0.0f;
    }
    return out;
}

// Renders the whole demo through a fresh instance of `program`; fills the row's level, name
// and automation count. Answers an exit code.
int renderPreset(const RenderOptions& options, const std::shared_ptr<PluginModule>& module,
                 int program, const std::vector<float>& input, int64_t frames,
                 std::vector<std::vector<float>>& output, Row& row, std::string& error) {
    LoadedPlugin loaded;
    if (!loadPlugin(module, loaded, error)) return kExitPlugin;
    PluginInstance& plugin = *loaded.instance;
    RenderOptions presetOptions = options;
    presetOptions.program = std::to_string(program);
    if (!startPlugin(plugin, kDemoRate, presetOptions, error)) return kExitUsage;
    if (!channelsFit(plugin, "switched on with", error)) return kExitPlugin;
    bool indexed = false;
    row.preset = trimTrailing(plugin.programNameIndexed(program, &indexed));
    if (!indexed) row.preset = trimTrailing(plugin.programName());

    auto tail = static_cast<int64_t>(std::llround(options.tailSeconds * kDemoRate));
    int64_t total = frames + tail;
    BlockRenderer renderer(plugin, 2, options.blockSize,
                           timedNotes(options.notes, kDemoRate, total, options.quiet));
    int32_t channels = renderer.outputChannels();
    std::vector<float> out(static_cast<size_t>(total * channels));
    for (int64_t at = 0; at < total;) {
        // The last input block may be short; the tail starts on a fresh block.
        int64_t limit = at < frames ? frames : total;
        auto n = static_cast<int32_t>(std::min<int64_t>(options.blockSize, limit - at));
        const float* in = at < frames ? input.data() + at * 2 : nullptr;
        renderer.process(in, out.data() + at * channels, n);
        at += n;
    }
    plugin.close();
    output.assign(static_cast<size_t>(channels), {});
    for (int32_t c = 0; c < channels; ++c)
        for (int64_t i = 0; i < frames + tail; ++i)
            output[static_cast<size_t>(c)].push_back(out[static_cast<size_t>(i * channels + c)]);
    row.level = measure(output);
    row.automation = loaded.host->countOf(audioMasterAutomate);
    return kExitOk;
}

void printTable(const std::vector<Row>& rows) {
    std::printf("%-3s %-18s %-24s %10s %10s %11s\n", "#", "preset", "file", "peak dBFS", "RMS dBFS",
                "automation");
    for (size_t i = 0; i < rows.size(); ++i) {
        const Row& r = rows[i];
        std::string number = i == 0 ? "" : std::to_string(i - 1);
        std::string automation = i == 0 ? "" : std::to_string(r.automation);
        std::printf("%-3s %-18s %-24s %10.1f %10.1f %11s\n", number.c_str(), r.preset.c_str(),
                    r.file.c_str(), r.level.peakDb, r.level.rmsDb, automation.c_str());
    }
}

}  // namespace

std::string fileNameFor(const std::string& name, int program) {
    std::string safe;
    for (unsigned char c : name) {
        if (std::isalnum(c))
            safe += static_cast<char>(std::tolower(c));
        else if (!safe.empty() && safe.back() != '-')
            safe += '-';
    }
    while (!safe.empty() && safe.back() == '-') safe.pop_back();
    return safe.empty() ? "program-" + std::to_string(program) : safe;
}

Level measure(const std::vector<std::vector<float>>& channels) {
    double peak = 0.0, sum = 0.0;
    size_t count = 0;
    for (const auto& channel : channels) {
        for (float sample : channel) {
            double value = std::isfinite(sample) ? std::fabs(sample) : 0.0;
            peak = std::max(peak, value);
            sum += value * value;
        }
        count += channel.size();
    }
    return {toDb(peak), count == 0 ? -200.0 : toDb(std::sqrt(sum / static_cast<double>(count)))};
}

int renderDemo(const RenderOptions& options, const std::shared_ptr<PluginModule>& module,
               std::string& error) {
    StereoSignal signal = makeDemoSignal(kDemoRate);
    if (signal.left.empty()) {
        error = "the built-in demo signal is empty";
        return kExitFile;
    }
    std::error_code ec;
    std::filesystem::create_directories(kDemoFolder, ec);
    std::string folder = kDemoFolder;
    AudioFormat format{static_cast<int32_t>(kDemoRate), 2, SF_FORMAT_WAV | SF_FORMAT_FLOAT};
    std::vector<Row> rows(1);
    rows[0] = {"(dry input)", "dry.wav", measure({signal.left, signal.right}), 0};
    if (!writeAudioFile(folder + "/dry.wav", format, {signal.left, signal.right}, error))
        return kExitFile;

    // Probe once for the program count; each preset then gets its own instance.
    LoadedPlugin probe;
    if (!loadPlugin(module, probe, error)) return kExitPlugin;
    int presets = std::min(kDemoPresets, probe.instance->numPrograms());
    probe.instance.reset();

    std::vector<float> input = interleave(signal);
    auto frames = static_cast<int64_t>(signal.left.size());
    ProgressBar bar(presets, !options.quiet);
    std::set<std::string> used{"dry"};
    for (int program = 0; program < presets; ++program) {
        Row row;
        std::vector<std::vector<float>> output;
        int code = renderPreset(options, module, program, input, frames, output, row, error);
        if (code != kExitOk) return code;
        std::string base = fileNameFor(row.preset, program);
        if (!used.insert(base).second) base += "-" + std::to_string(program);
        used.insert(base);
        row.file = base + ".wav";
        format.channels = static_cast<int32_t>(output.size());
        if (!writeAudioFile(folder + "/" + row.file, format, output, error)) return kExitFile;
        rows.push_back(row);
        bar.update(program + 1);
    }
    bar.finish();
    printTable(rows);
    return kExitOk;
}

}  // namespace brindlet
