// Loading a plug-in for rendering and setting it up from the command line's choices.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/BlockRenderer.h"
#include "host/PluginHost.h"
#include "host/PluginInstance.h"
#include "host/RenderOptions.h"

namespace brindlet {

// Exit codes of brindlet-render.
enum ExitCode : int {
    kExitOk = 0,
    kExitFile = 1,    // input, output or plot file problems
    kExitUsage = 2,   // malformed options, unknown program or parameter names
    kExitPlugin = 3,  // the module is missing or is not a usable VST 2.x effect
};

struct LoadedPlugin {
    std::shared_ptr<PluginModule> module;
    std::unique_ptr<PluginHost> host;
    std::unique_ptr<PluginInstance> instance;
};

// Loads `path` and creates one instance with its own host; refuses plug-ins whose channel
// counts the renderer cannot drive (more than 2 inputs or outputs, no output).
bool loadPlugin(const std::shared_ptr<PluginModule>& module, LoadedPlugin& loaded,
                std::string& error);

// True when the instance's channel counts are ones the renderer drives; otherwise false with one
// line in `error` ("the plug-in <verb> 6 inputs and ...").
bool channelsFit(PluginInstance& plugin, const std::string& verb, std::string& error);

// "3" selects program 3, anything else is matched against the program names (trailing blanks
// trimmed; exact first, then ignoring case).
bool selectProgram(PluginInstance& plugin, const std::string& program, std::string& error);

// Sets each named parameter; names are matched like programs.
bool applyParameters(PluginInstance& plugin, const std::vector<ParameterRequest>& parameters,
                     std::string& error);

// The index of the named parameter (matched like programs), or -1 with `error` set.
int32_t findParameter(PluginInstance& plugin, const std::string& name, std::string& error);

// Switches the effect on the way a host does: open, sample rate, block size; the program and
// parameters; then mains on. Answers false (with `error`) on a bad name. The channel counts
// must be checked again afterwards (channelsFit): a plug-in may change them once switched on.
bool startPlugin(PluginInstance& plugin, float sampleRate, const RenderOptions& options,
                 std::string& error);

// The requested notes as frames from the start of a render of `totalFrames`. Notes at or past
// the end are dropped, with a warning unless `quiet`; they are dropped before rounding, since a
// huge time does not fit a frame number.
std::vector<TimedNote> timedNotes(const std::vector<NoteRequest>& requests, float rate,
                                  int64_t totalFrames, bool quiet);

}  // namespace brindlet
