// The command line of brindlet-render, parsed into one plain record.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
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

struct TimedParameterRequest {
    double seconds = 0.0;
    ParameterRequest parameter;
};

enum class BitsRequest { kKeep, k16, k24, k32, kFloat };
enum class DitherRequest { kAuto, kNone, kTpdf };

struct RenderOptions {
    std::string input;
    std::string output;
    std::vector<std::string> inputs;  // with outputDir: every file argument
    std::string outputDir;            // -o DIR: batch mode, one output per input (and program)
    bool allPrograms = false;
    int32_t jobs = 1;
    std::string plugin;   // empty: our own module, found next to the program
    std::string program;  // a number or a program name; empty: leave the plug-in's choice
    std::vector<ParameterRequest> parameters;
    std::vector<NoteRequest> notes;
    std::vector<TimedParameterRequest> timedParameters;
    BitsRequest bits = BitsRequest::kKeep;
    DitherRequest dither = DitherRequest::kAuto;
    int32_t blockSize = 256;
    int32_t rate = 0;  // 0: the input's
    double tailSeconds = 0.0;
    std::string plot;
    std::string midiFile;  // a Standard MIDI File whose notes are played along
    bool info = false;
    bool listPrograms = false;
    bool listParams = false;
    bool json = false;
    bool version = false;
    bool quiet = false;
    bool help = false;
};

// Fills `options` from argv; on a malformed option returns false with one line in `error`.
bool parseRenderOptions(int argc, const char* const* argv, RenderOptions& options,
                        std::string& error);

// A note number from a name such as C3, F#2 or Bb-1 (middle C, MIDI 60, is C4), or from a
// number 0..127; false when it is neither or out of range.
bool parseNoteName(std::string_view text, int& note);

// The text of --help.
std::string renderUsage();

}  // namespace brindlet
