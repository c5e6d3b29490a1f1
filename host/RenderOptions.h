// The command line of brindlet-render, parsed into one plain record.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brindlet {

struct NoteRequest {
    double seconds = 0.0;
    int note = 60;
    int velocity = 100;
};

struct ParameterRequest {
    std::string name;
    float value = 0.0f;
};

struct RenderOptions {
    std::string input;
    std::string output;
    std::string plugin;   // empty: our own module, found next to the program
    std::string program;  // a number or a program name; empty: leave the plug-in's choice
    std::vector<ParameterRequest> parameters;
    std::vector<NoteRequest> notes;
    int32_t blockSize = 256;
    double tailSeconds = 0.0;
    std::string plot;
    bool info = false;
    bool quiet = false;
    bool help = false;
};

// Fills `options` from argv; on a malformed option returns false with one line in `error`.
bool parseRenderOptions(int argc, const char* const* argv, RenderOptions& options,
                        std::string& error);

// The text of --help.
std::string renderUsage();

}  // namespace brindlet
