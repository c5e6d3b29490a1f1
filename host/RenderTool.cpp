// RenderTool: the file render and the --info report; the bare run is DemoRender.
#include "host/RenderTool.h"

#include <chrono>
#include <cmath>
#include <cstdio>

#include "host/AudioFile.h"
#include "host/BatchRender.h"
#include "host/BlockRenderer.h"
#include "host/DemoRender.h"
#include "host/MidiFile.h"
#include "host/PlotWriter.h"
#include "host/PluginInfo.h"
#include "host/PluginLocator.h"
#include "host/PluginSetup.h"
#include "host/ProgressBar.h"
#include "host/Resampler.h"

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

double toDbfs(double value) {
    return value > 0.0 ? 20.0 * std::log10(value) : -200.0;
}

struct FileRender {
    const RenderOptions& options;
    PluginInstance& plugin;
    AudioReader& reader;
    AudioWriter& writer;
    BlockRenderer& renderer;
    int64_t tailFrames;
    int64_t expectedFrames;
    PlotData plot;
    int64_t framesRead = 0;

    Resampler* resampler = nullptr;  // null: the input is already at the output rate
    std::vector<float> pending;      // input frames at the output rate, not yet rendered

    // Tops `pending` up to a block; false at the end of the input.
    bool pull(std::vector<float>& in, int32_t block, std::string& error, bool& failed) {
        int32_t channels = reader.format().channels;
        while (pending.size() < static_cast<size_t>(block * channels)) {
            int64_t frames = reader.read(in.data(), block);
            if (frames <= 0) {
                if (!inputEndsWell(error)) failed = true;
                if (resampler != nullptr) resampler->finish(pending);
                return false;
            }
            framesRead += frames;
            if (resampler != nullptr)
                resampler->feed(in.data(), frames, pending);
            else
                pending.insert(pending.end(), in.begin(), in.begin() + frames * channels);
        }
        return true;
    }

    bool run(std::string& error) {
        int32_t block = options.blockSize;
        int32_t inChannels = reader.format().channels;
        int32_t outChannels = renderer.outputChannels();
        std::vector<float> in(static_cast<size_t>(block * inChannels));
        std::vector<float> out(static_cast<size_t>(block * outChannels));
        ProgressBar bar(expectedFrames + tailFrames, !options.quiet);
        bool plotting = !options.plot.empty();
        int64_t tailLeft = tailFrames;
        bool inputDone = false;
        for (;;) {
            bool failed = false;
            if (!inputDone) inputDone = !pull(in, block, error, failed);
            if (failed) return false;
            auto frames = static_cast<int64_t>(pending.size()) / inChannels;
            frames = std::min<int64_t>(frames, block);
            const float* source = pending.data();
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
            if (source != nullptr)
                pending.erase(pending.begin(), pending.begin() + frames * inChannels);
            bar.update(renderer.position());
        }
        return true;
    }

    // A read error fails the render; a compressed stream's length is only an estimate, so its
    // end is wherever the data ends. A header that promised more than the file holds is worth
    // a word: the render is shorter than the input was meant to be.
    bool inputEndsWell(std::string& error) {
        bool shortOfHeader = framesRead < reader.frames() && !reader.lengthIsEstimate();
        if (reader.failed() || shortOfHeader) {
            error = options.input + ": cannot read the whole file (read " +
                    std::to_string(framesRead) + " of " + std::to_string(reader.frames()) +
                    " frames: " + reader.errorText() + ")";
            return false;
        }
        if (reader.declaredFrames() > framesRead) {
            double rate = reader.format().sampleRate;
            std::fprintf(stderr,
                         "brindlet-render: warning: %s is cut short: its header declares %.2f s "
                         "(%lld frames) but it holds %.2f s (%lld frames); rendered what is "
                         "there\n",
                         options.input.c_str(), static_cast<double>(reader.declaredFrames()) / rate,
                         static_cast<long long>(reader.declaredFrames()),
                         static_cast<double>(framesRead) / rate,
                         static_cast<long long>(framesRead));
        }
        return true;
    }
};

OutputBits outputBitsFor(BitsRequest bits) {
    switch (bits) {
        case BitsRequest::k16:
            return OutputBits::k16;
        case BitsRequest::k24:
            return OutputBits::k24;
        case BitsRequest::k32:
            return OutputBits::k32;
        case BitsRequest::kFloat:
            return OutputBits::kFloat;
        case BitsRequest::kKeep:
            break;
    }
    return OutputBits::kKeep;
}

// Dither belongs only where 16 or 24 bits are fewer than the source had; by default only when
// --bits asked for the reduction, so a plain render of a 16-bit file stays bit exact.
bool ditherWanted(const RenderOptions& options, int32_t inputFormat, int32_t outputFormat) {
    int outBits = integerBitsOf(outputFormat);
    if (outBits != 16 && outBits != 24) return false;
    if (options.dither != DitherRequest::kAuto) return options.dither == DitherRequest::kTpdf;
    int inBits = integerBitsOf(inputFormat);
    return options.bits != BitsRequest::kKeep && (inBits == 0 || outBits < inBits);
}

void printSummary(const RenderOptions& options, const RenderSummary& r) {
    if (options.json) {
        std::printf(
            "{\"output\": %s, \"channels\": %d, \"sampleRate\": %d, \"seconds\": %.6f, "
            "\"peakDbfs\": %.2f, \"rmsDbfs\": %.2f, \"overFullScale\": %lld, \"clippedSamples\": "
            "%lld, "
            "\"automationRequests\": %zu, \"realTimeFactor\": %.2f, \"program\": %s}\n",
            jsonString(r.output).c_str(), r.channels, r.sampleRate, r.seconds, r.peakDb, r.rmsDb,
            static_cast<long long>(r.over), static_cast<long long>(r.clipped ? r.over : 0),
            r.automation, r.realTimeFactor, jsonString(r.program).c_str());
        return;
    }
    if (options.quiet) return;
    std::printf("wrote %s: %d channel(s), %d Hz, %.2f s\n", r.output.c_str(), r.channels,
                r.sampleRate, r.seconds);
    std::printf(
        "peak %.1f dBFS, RMS %.1f dBFS, %lld over full scale, %zu automation "
        "request(s), %.1fx real time\n",
        r.peakDb, r.rmsDb, static_cast<long long>(r.over), r.automation, r.realTimeFactor);
}

// Names that cannot work are refused before the plug-in is loaded or anything is written.
int checkFiles(const RenderOptions& options, const AudioReader& reader, AudioFormat& format,
               std::string& error) {
    std::string resolved;
    if (!resolveOutputPath(options.output, resolved, error)) return kExitFile;
    if (!outputFormatFor(options.output, reader.format().format, format.channels, format.sampleRate,
                         outputBitsFor(options.bits), format.format, error))
        return kExitUsage;
    for (const std::string& other : {options.output, options.plot}) {
        if (!other.empty() && sameFile(options.input, other)) {
            error = other + " is the input file; rendering into it would destroy it";
            return kExitUsage;
        }
    }
    if (!options.plot.empty() && sameFile(options.output, options.plot)) {
        error = "the output and the plot are the same file";
        return kExitUsage;
    }
    return kExitOk;
}

std::vector<TimedParameter> timedParameters(PluginInstance& plugin,
                                            const std::vector<TimedParameterRequest>& requests,
                                            float rate, std::string& error) {
    std::vector<TimedParameter> changes;
    for (const auto& request : requests) {
        int32_t index = findParameter(plugin, request.parameter.name, error);
        if (index < 0) return {};
        changes.push_back({static_cast<int64_t>(std::llround(request.seconds * rate)), index,
                           request.parameter.value});
    }
    return changes;
}

// The file's notes as frames; those at or past the end are dropped with one warning.
bool addMidiFileNotes(const RenderOptions& options, float rate, int64_t totalFrames,
                      std::vector<TimedNote>& notes, std::string& error) {
    std::vector<MidiFileNote> fileNotes;
    if (!readMidiFile(options.midiFile, fileNotes, error)) return false;
    size_t dropped = 0;
    for (const auto& note : fileNotes) {
        double at = std::round(note.seconds * rate);
        if (!(at < static_cast<double>(totalFrames))) {
            ++dropped;
            continue;
        }
        notes.push_back({static_cast<int64_t>(at), note.note, note.velocity});
    }
    if (dropped > 0 && !options.quiet)
        std::fprintf(stderr,
                     "brindlet-render: warning: %zu events of %s are past the end; use --tail to "
                     "hear them\n",
                     dropped, options.midiFile.c_str());
    return true;
}

}  // namespace

int renderFile(const RenderOptions& options, const std::shared_ptr<PluginModule>& module,
               RenderSummary* result) {
    auto started = std::chrono::steady_clock::now();
    std::string error;
    AudioReader reader;
    if (!reader.open(options.input, error)) return fail(kExitFile, error);
    if (sameFile(options.input, options.output))
        return fail(kExitUsage,
                    options.output + " is the input file; rendering into it would destroy it");
    LoadedPlugin loaded;
    if (!loadPlugin(module, loaded, error)) return fail(kExitPlugin, error);
    PluginInstance& plugin = *loaded.instance;
    int32_t outputRate = options.rate > 0 ? options.rate : reader.format().sampleRate;
    auto rate = static_cast<float>(outputRate);
    Resampler resampler;
    bool resampling = outputRate != reader.format().sampleRate;
    if (resampling &&
        !resampler.open(reader.format().sampleRate, outputRate, reader.format().channels, error))
        return fail(kExitUsage, error);
    auto expectedFrames = static_cast<int64_t>(std::llround(
        static_cast<double>(reader.frames()) * outputRate / reader.format().sampleRate));
    if (!startPlugin(plugin, rate, options, error)) return fail(kExitUsage, error);
    if (!channelsFit(plugin, "switched on with", error)) return fail(kExitPlugin, error);
    bool programApplied = !options.program.empty();
    if (options.info) {
        if (options.json)
            printPluginInfoJson(plugin, stdout, programApplied);
        else
            printPluginInfo(plugin, stdout, programApplied);
    }
    std::vector<TimedParameter> changes =
        timedParameters(plugin, options.timedParameters, rate, error);
    if (!error.empty()) return fail(kExitUsage, error);

    auto tailFrames = static_cast<int64_t>(std::llround(options.tailSeconds * rate));
    std::vector<TimedNote> notes =
        timedNotes(options.notes, rate, expectedFrames + tailFrames, options.quiet);
    if (!options.midiFile.empty() &&
        !addMidiFileNotes(options, rate, expectedFrames + tailFrames, notes, error))
        return fail(kExitFile, error);
    BlockRenderer renderer(plugin, reader.format().channels, options.blockSize, std::move(notes));
    renderer.setParameterChanges(std::move(changes));
    AudioFormat format{outputRate, renderer.outputChannels(), 0};
    int code = checkFiles(options, reader, format, error);
    if (code != kExitOk) return fail(code, error);
    AudioWriter writer;
    if (!writer.open(options.output, format, error)) return fail(kExitFile, error);
    writer.setDither(ditherWanted(options, reader.format().format, format.format));
    if (!options.plot.empty() && !checkWritable(options.plot, error)) return fail(kExitFile, error);

    FileRender render{options,        plugin, reader, writer,  renderer, tailFrames,
                      expectedFrames, {},     0,      nullptr, {}};
    if (resampling) render.resampler = &resampler;
    render.plot.sampleRate = rate;
    std::string program =
        plugin.numPrograms() > 0 ? describeCurrentProgram(plugin, programApplied) : "";
    render.plot.title =
        options.input + "  \u2192  " + options.output + "      " + trimBoth(plugin.effectName());
    if (!program.empty()) render.plot.title += ", " + program;
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
    if (writer.clips() && writer.overSamples() > 0)
        std::fprintf(stderr,
                     "brindlet-render: warning: %lld samples reached or passed full scale (peak "
                     "%+.1f dBFS) and were clipped in %s; --bits float keeps them\n",
                     static_cast<long long>(writer.overSamples()), toDbfs(writer.peak()),
                     options.output.c_str());
    double seconds = static_cast<double>(renderer.position()) / rate;
    double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    RenderSummary summary{options.output,
                          format.channels,
                          format.sampleRate,
                          seconds,
                          toDbfs(writer.peak()),
                          toDbfs(writer.rms()),
                          writer.overSamples(),
                          writer.clips(),
                          loaded.host->countOf(audioMasterAutomate),
                          elapsed > 0.0 ? seconds / elapsed : 0.0,
                          program};
    if (result != nullptr)
        *result = summary;
    else
        printSummary(options, summary);
    return kExitOk;
}

namespace {

int printInfoOnly(const RenderOptions& options, const std::shared_ptr<PluginModule>& module) {
    std::string error;
    PluginHost host;
    auto plugin = PluginInstance::create(module, host, error);
    if (!plugin) return fail(kExitPlugin, error);
    if (!options.program.empty() || !options.parameters.empty()) {
        if (!options.program.empty() && !selectProgram(*plugin, options.program, error))
            return fail(kExitUsage, error);
        if (!applyParameters(*plugin, options.parameters, error)) return fail(kExitUsage, error);
    }
    bool applied = !options.program.empty();
    if (options.listPrograms) printProgramList(*plugin, stdout);
    if (options.listParams) printParameterList(*plugin, stdout);
    if (options.info && options.json)
        printPluginInfoJson(*plugin, stdout, applied);
    else if (options.info)
        printPluginInfo(*plugin, stdout, applied);
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
    if (options.version) {
        std::printf("brindlet-render %s\n", BRINDLET_VERSION);
        return kExitOk;
    }
    bool listing = options.info || options.listPrograms || options.listParams;
    bool demo = options.input.empty() && options.outputDir.empty() && !listing;
    if (demo && (!options.program.empty() || !options.plot.empty()))
        return fail(kExitUsage, "--program and --plot need a file render: brindlet-render IN OUT");

    std::string pluginPath = options.plugin.empty() ? locateDefaultPlugin() : options.plugin;
    if (pluginPath.empty())
        return fail(kExitPlugin,
                    "cannot find brindlet.so next to brindlet-render; give one "
                    "with --plugin PATH");
    auto module = PluginModule::load(pluginPath, error);
    if (!module) return fail(kExitPlugin, error);

    if (!options.outputDir.empty()) return renderBatch(options, module);
    if (!options.input.empty()) return renderFile(options, module, nullptr);
    if (listing) return printInfoOnly(options, module);
    int code = renderDemo(options, module, error);
    return code == kExitOk ? code : fail(code, error);
}

}  // namespace brindlet
