// PluginSetup: name matching that forgives the trailing blanks and case plug-ins use.
#include "host/PluginSetup.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "host/BlockRenderer.h"
#include "host/PluginInfo.h"

namespace brindlet {

namespace {

bool sameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

// Index of the name equal to `wanted` (exact beats case-insensitive), or -1.
int findName(const std::vector<std::string>& names, const std::string& wanted) {
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] == wanted) return static_cast<int>(i);
    for (size_t i = 0; i < names.size(); ++i)
        if (sameIgnoringCase(names[i], wanted)) return static_cast<int>(i);
    return -1;
}

std::string listOf(const std::vector<std::string>& names) {
    std::string list;
    for (const auto& name : names) {
        if (list.size() > 300) return list + ", ...";
        list += (list.empty() ? "" : ", ") + ("'" + name + "'");
    }
    return list.empty() ? "none" : list;
}

std::vector<std::string> parameterNames(PluginInstance& plugin) {
    std::vector<std::string> names;
    for (int32_t i = 0; i < std::min(plugin.numParams(), 4096); ++i)
        names.push_back(trimTrailing(plugin.parameterName(i)));
    return names;
}

}  // namespace

bool loadPlugin(const std::shared_ptr<PluginModule>& module, LoadedPlugin& loaded,
                std::string& error) {
    loaded.module = module;
    loaded.host = std::make_unique<PluginHost>();
    loaded.instance = PluginInstance::create(module, *loaded.host, error);
    if (!loaded.instance) return false;
    if (!channelsFit(*loaded.instance, "has", error)) {
        loaded.instance.reset();
        return false;
    }
    return true;
}

bool channelsFit(PluginInstance& plugin, const std::string& verb, std::string& error) {
    const AEffect* e = plugin.effect();
    if (e == nullptr) return false;
    if (e->numInputs >= 0 && e->numInputs <= BlockRenderer::kMaxChannels && e->numOutputs >= 1 &&
        e->numOutputs <= BlockRenderer::kMaxChannels)
        return true;
    error = plugin.module().path() + ": the plug-in " + verb + " " + std::to_string(e->numInputs) +
            " inputs and " + std::to_string(e->numOutputs) +
            " outputs; brindlet-render drives 0 to 2 inputs and 1 or 2 outputs";
    return false;
}

bool selectProgram(PluginInstance& plugin, const std::string& program, std::string& error) {
    int number = -1;
    auto [end, ec] = std::from_chars(program.data(), program.data() + program.size(), number);
    bool numeric = ec == std::errc() && end == program.data() + program.size();
    if (!numeric) {
        std::vector<std::string> names = readProgramNames(plugin);
        number = findName(names, trimTrailing(program));
        if (number < 0) {
            error = "unknown program '" + program + "'; the plug-in has " + listOf(names);
            return false;
        }
    }
    int32_t count = plugin.numPrograms();
    if (number < 0 || number >= count) {
        error = "program " + program + " is out of range; " +
                (count <= 0 ? std::string("the plug-in has no programs")
                            : "the plug-in has programs 0 to " + std::to_string(count - 1));
        return false;
    }
    plugin.setProgram(number);
    return true;
}

bool applyParameters(PluginInstance& plugin, const std::vector<ParameterRequest>& parameters,
                     std::string& error) {
    if (parameters.empty()) return true;
    std::vector<std::string> names = parameterNames(plugin);
    for (const auto& parameter : parameters) {
        int index = findName(names, trimTrailing(parameter.name));
        if (index < 0) {
            error = "unknown parameter '" + parameter.name + "'; the plug-in has " + listOf(names);
            return false;
        }
        plugin.setParameter(index, parameter.value);
    }
    return true;
}

int32_t findParameter(PluginInstance& plugin, const std::string& name, std::string& error) {
    std::vector<std::string> names = parameterNames(plugin);
    int index = findName(names, trimTrailing(name));
    if (index < 0) error = "unknown parameter '" + name + "'; the plug-in has " + listOf(names);
    return index;
}

bool startPlugin(PluginInstance& plugin, float sampleRate, const RenderOptions& options,
                 std::string& error) {
    plugin.open();
    plugin.setSampleRate(sampleRate);
    plugin.setBlockSize(options.blockSize);
    if (!options.program.empty() && !selectProgram(plugin, options.program, error)) return false;
    if (!applyParameters(plugin, options.parameters, error)) return false;
    plugin.mainsOn();
    return true;
}

std::vector<TimedNote> timedNotes(const std::vector<NoteRequest>& requests, float rate,
                                  int64_t totalFrames, bool quiet) {
    std::vector<TimedNote> notes;
    for (const auto& request : requests) {
        double at = std::round(request.seconds * rate);
        if (!(at < static_cast<double>(totalFrames))) {
            if (!quiet)
                std::fprintf(stderr,
                             "brindlet-render: warning: the note at %.3f s is past the end\n",
                             request.seconds);
            continue;
        }
        notes.push_back({static_cast<int64_t>(at), static_cast<uint8_t>(request.note),
                         static_cast<uint8_t>(request.velocity)});
    }
    return notes;
}

}  // namespace brindlet
