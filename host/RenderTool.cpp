// RenderTool: the file render and the --info report; the bare run is DemoRender.
#include "host/RenderTool.h"

#include <cmath>
#include <cstdio>

#include "host/AudioFile.h"
#include "host/BlockRenderer.h"
#include "host/DemoRender.h"
#include "host/PlotWriter.h"
#include "host/PluginInfo.h"
#include "host/PluginLocator.h"
#include "host/PluginSetup.h"
#include "host/ProgressBar.h"

namespace brindlet {

namespace {

int fail(int code, const std::string& message) {
    std::fprintf(stderr, "brindlet-render: error: %s\n", message.c_str());
    return code;
}

void keep(std::vector<std::vector<float>>& planar, const float* interleaved, int64_t frames,
          int32_t channels) {
    planar.resize(static_cast<size_t>(channels));
    for (int32_t c = 0; c < channels; ++c)
        for (int64_t i = 0; i < frames; ++i)
            planar[static_cast<size_t>(c)].push_back(interleaved[i * channels + c]);
}

struct FileRender {
    const RenderOptions& options;
    PluginInstance& plugin;
    AudioReader& reader;
    AudioWriter& writer;
    BlockRenderer& renderer;
    int64_t tailFrames;
    PlotData plot;

    bool run(std::string& error) {
        int32_t block = options.blockSize;
        int32_t inChannels = reader.format().channels;
        int32_t outChannels = renderer.outputChannels();
        std::vector<float> in(static_cast<size_t>(block * inChannels));
        std::vector<float> out(static_cast<size_t>(block * outChannels));
        ProgressBar bar(reader.frames() + tailFrames, !options.quiet);
        bool plotting = !options.plot.empty();
        int64_t tailLeft = tailFrames;
        int64_t framesRead = 0;
        bool inputDone = false;
        for (;;) {
            int64_t frames = inputDone ? 0 : reader.read(in.data(), block);
            const float* source = in.data();
            if (frames > 0) framesRead += frames;
            if (frames <= 0 && !inputDone) {
                // A damaged file ends early; half a render must not pass for a whole one.
                if (reader.failed() || framesRead < reader.frames()) {
                    error = options.input + ": cannot read the whole file (read " +
                            std::to_string(framesRead) + " of " + std::to_string(reader.frames()) +
                            " frames: " + reader.errorText() + ")";
                    return false;
                }
                inputDone = true;
            }
            if (frames <= 0) {
                frames = std::min<int64_t>(tailLeft, block);
                tailLeft -= frames;
                source = nullptr;
            }
            if (frames <= 0) break;
            renderer.process(source, out.data(), static_cast<int32_t>(frames));
            if (!writer.write(out.data(), frames, error)) return false;
            if (plotting) {
                if (source != nullptr) keep(plot.input, source, frames, inChannels);
                keep(plot.output, out.data(), frames, outChannels);
            }
            bar.update(renderer.position());
        }
        return true;
    }
};

int renderFile(const RenderOptions& options, const std::shared_ptr<PluginModule>& module) {
    std::string error;
    AudioReader reader;
    if (!reader.open(options.input, error)) return fail(kExitFile, error);
    LoadedPlugin loaded;
    if (!loadPlugin(module, loaded, error)) return fail(kExitPlugin, error);
    PluginInstance& plugin = *loaded.instance;
    auto rate = static_cast<float>(reader.format().sampleRate);
    if (!startPlugin(plugin, rate, options, error)) return fail(kExitUsage, error);
    if (!channelsFit(plugin, "switched on with", error)) return fail(kExitPlugin, error);
    if (options.info) printPluginInfo(plugin, stdout);

    auto tailFrames = static_cast<int64_t>(std::llround(options.tailSeconds * rate));
    BlockRenderer renderer(
        plugin, reader.format().channels, options.blockSize,
        timedNotes(options.notes, rate, reader.frames() + tailFrames, options.quiet));
    AudioFormat format{
        reader.format().sampleRate, renderer.outputChannels(),
        outputFormatFor(options.output, reader.format().format, renderer.outputChannels())};
    AudioWriter writer;
    if (!writer.open(options.output, format, error)) return fail(kExitFile, error);
    if (!options.plot.empty() && !checkWritable(options.plot, error)) return fail(kExitFile, error);

    FileRender render{options, plugin, reader, writer, renderer, tailFrames, {}};
    render.plot.sampleRate = rate;
    render.plot.title =
        options.input + "  \u2192  " + options.output + "      " + trimBoth(plugin.effectName());
    if (plugin.numPrograms() > 0)
        render.plot.title += ", program '" + trimTrailing(plugin.programName()) + "'";
    for (const auto& note : options.notes)
        render.plot.markers.push_back({note.seconds, "note " + std::to_string(note.note)});
    if (!render.run(error)) return fail(kExitFile, error);
    plugin.close();
    // The plot goes first: if it fails, the output is discarded with it.
    if (!options.plot.empty() && !writePlot(options.plot, render.plot, error))
        return fail(kExitFile, error);
    if (!writer.commit(error)) return fail(kExitFile, error);
    if (writer.nonFiniteSamples() > 0)
        std::fprintf(stderr,
                     "brindlet-render: warning: the plug-in produced %lld samples that are not "
                     "numbers or infinite; written as 0 and full scale\n",
                     static_cast<long long>(writer.nonFiniteSamples()));
    if (!options.quiet)
        std::printf("wrote %s: %d channel(s), %d Hz, %.2f s\n", options.output.c_str(),
                    format.channels, format.sampleRate,
                    static_cast<double>(renderer.position()) / rate);
    return kExitOk;
}

int printInfoOnly(const std::shared_ptr<PluginModule>& module) {
    std::string error;
    PluginHost host;
    auto plugin = PluginInstance::create(module, host, error);
    if (!plugin) return fail(kExitPlugin, error);
    printPluginInfo(*plugin, stdout);
    return kExitOk;
}

}  // namespace

int runRenderTool(int argc, const char* const* argv) {
    RenderOptions options;
    std::string error;
    if (!parseRenderOptions(argc, argv, options, error)) return fail(kExitUsage, error);
    if (options.help) {
        std::fputs(renderUsage().c_str(), stdout);
        return kExitOk;
    }
    bool demo = options.input.empty() && !options.info;
    if (demo && (!options.program.empty() || !options.plot.empty()))
        return fail(kExitUsage, "--program and --plot need a file render: brindlet-render IN OUT");

    std::string pluginPath = options.plugin.empty() ? locateDefaultPlugin() : options.plugin;
    if (pluginPath.empty())
        return fail(kExitPlugin,
                    "cannot find brindlet.so next to brindlet-render; give one "
                    "with --plugin PATH");
    auto module = PluginModule::load(pluginPath, error);
    if (!module) return fail(kExitPlugin, error);

    if (!options.input.empty()) return renderFile(options, module);
    if (options.info) return printInfoOnly(module);
    int code = renderDemo(options, module, error);
    return code == kExitOk ? code : fail(code, error);
}

}  // namespace brindlet
