// Option parsing for brindlet-render: strict numbers, one clear line per mistake.
#include "host/RenderOptions.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace brindlet {

namespace {

constexpr int32_t kMaxBlockSize = 1 << 16;

bool parseDouble(std::string_view text, double& value) {
    if (text.empty()) return false;
    std::string copy(text);
    char* end = nullptr;
    value = std::strtod(copy.c_str(), &end);
    return end == copy.c_str() + copy.size() && std::isfinite(value);
}

bool parseInt(std::string_view text, int& value) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

bool parseNote(std::string_view text, NoteRequest& note) {
    size_t first = text.find(':');
    size_t second = first == std::string_view::npos ? first : text.find(':', first + 1);
    if (second == std::string_view::npos) return false;
    return parseDouble(text.substr(0, first), note.seconds) && note.seconds >= 0.0 &&
           parseNoteName(text.substr(first + 1, second - first - 1), note.note) &&
           parseInt(text.substr(second + 1), note.velocity) && note.velocity >= 0 &&
           note.velocity <= 127;
}

bool parseParameter(std::string_view text, ParameterRequest& parameter) {
    size_t equals = text.rfind('=');
    if (equals == std::string_view::npos || equals == 0) return false;
    double value = 0.0;
    if (!parseDouble(text.substr(equals + 1), value) || value < 0.0 || value > 1.0) return false;
    parameter.name = std::string(text.substr(0, equals));
    parameter.value = static_cast<float>(value);
    return true;
}

bool parseTimedParameter(std::string_view text, TimedParameterRequest& request) {
    size_t colon = text.find(':');
    if (colon == std::string_view::npos) return false;
    return parseDouble(text.substr(0, colon), request.seconds) && request.seconds >= 0.0 &&
           parseParameter(text.substr(colon + 1), request.parameter);
}

bool parseBits(std::string_view text, BitsRequest& bits) {
    if (text == "16")
        bits = BitsRequest::k16;
    else if (text == "24")
        bits = BitsRequest::k24;
    else if (text == "32")
        bits = BitsRequest::k32;
    else if (text == "float")
        bits = BitsRequest::kFloat;
    else
        return false;
    return true;
}

// Applies one option that takes a value; false with `error` set when the value is malformed.
bool applyValued(std::string_view option, std::string_view value, RenderOptions& options,
                 std::string& error) {
    auto malformed = [&](const char* expected) {
        error = "malformed " + std::string(option) + " '" + std::string(value) + "': expected " +
                expected;
        return false;
    };
    if (value.empty() && (option == "--plugin" || option == "--program" || option == "--plot"))
        return malformed("a value that is not empty");
    if (option == "--plugin") {
        options.plugin = value;
    } else if (option == "--program") {
        options.program = value;
    } else if (option == "--plot") {
        options.plot = value;
    } else if (option == "--param") {
        ParameterRequest parameter;
        if (!parseParameter(value, parameter)) return malformed("NAME=VALUE with VALUE in 0..1");
        options.parameters.push_back(parameter);
    } else if (option == "--note") {
        NoteRequest note;
        if (!parseNote(value, note))
            return malformed("SECONDS:NOTE:VELOCITY (seconds >= 0, note and velocity 0..127)");
        options.notes.push_back(note);
    } else if (option == "--param-at") {
        TimedParameterRequest request;
        if (!parseTimedParameter(value, request))
            return malformed("SECONDS:NAME=VALUE with seconds >= 0 and VALUE in 0..1");
        options.timedParameters.push_back(request);
    } else if (option == "--bits") {
        if (!parseBits(value, options.bits)) return malformed("16, 24, 32 or float");
    } else if (option == "--dither") {
        if (value == "none")
            options.dither = DitherRequest::kNone;
        else if (value == "tpdf")
            options.dither = DitherRequest::kTpdf;
        else
            return malformed("none or tpdf");
    } else if (option == "-o" || option == "--output-dir") {
        if (value.empty()) return malformed("a folder");
        options.outputDir = value;
    } else if (option == "--jobs" || option == "-j") {
        if (!parseInt(value, options.jobs) || options.jobs < 1 || options.jobs > 256)
            return malformed("a whole number from 1 to 256");
    } else if (option == "--midi") {
        if (value.empty()) return malformed("a MIDI file");
        options.midiFile = value;
    } else if (option == "--rate") {
        if (!parseInt(value, options.rate) || options.rate < 1000 || options.rate > 768000)
            return malformed("a sample rate in Hz from 1000 to 768000");
    } else if (option == "--block") {
        int frames = 0;
        if (!parseInt(value, frames) || frames < 1 || frames > kMaxBlockSize)
            return malformed("a whole number of frames from 1 to 65536");
        options.blockSize = frames;
    } else {  // --tail
        if (!parseDouble(value, options.tailSeconds) || options.tailSeconds < 0.0 ||
            options.tailSeconds > 3600.0)
            return malformed("seconds from 0 to 3600");
    }
    return true;
}

bool takesValue(std::string_view option) {
    for (std::string_view known :
         {"--plugin", "--program", "--param", "--note", "--block", "--tail", "--plot", "--param-at",
          "--bits", "--dither", "--rate", "-o", "--output-dir", "--jobs", "-j", "--midi"}) {
        if (option == known) return true;
    }
    return false;
}

}  // namespace

bool parseRenderOptions(int argc, const char* const* argv, RenderOptions& options,
                        std::string& error) {
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        std::string_view value;
        bool inlineValue = false;
        if (arg.rfind("--", 0) == 0 && arg.find('=') != std::string_view::npos &&
            takesValue(arg.substr(0, arg.find('=')))) {
            value = arg.substr(arg.find('=') + 1);
            arg = arg.substr(0, arg.find('='));
            inlineValue = true;
        }
        if (takesValue(arg)) {
            if (!inlineValue) {
                if (i + 1 >= argc) {
                    error = "option " + std::string(arg) + " needs a value";
                    return false;
                }
                value = argv[++i];
            }
            if (!applyValued(arg, value, options, error)) return false;
        } else if (arg == "--info") {
            options.info = true;
        } else if (arg == "--all-programs") {
            options.allPrograms = true;
        } else if (arg == "--list-programs") {
            options.listPrograms = true;
        } else if (arg == "--list-params") {
            options.listParams = true;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--quiet" || arg == "-q") {
            options.quiet = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option '" + std::string(arg) + "' (see --help)";
            return false;
        } else {
            files.emplace_back(arg);
        }
    }
    for (const auto& file : files) {
        if (file.empty()) {
            error = "empty file name: brindlet-render IN OUT [options]";
            return false;
        }
    }
    if (!options.outputDir.empty()) {
        if (files.empty()) {
            error = "no input files: brindlet-render -o DIR IN... [options]";
            return false;
        }
        options.inputs = files;
        return true;
    }
    if (options.allPrograms || options.jobs > 1) {
        error = std::string(options.allPrograms ? "--all-programs" : "--jobs") +
                " writes several files and needs an output folder: -o DIR";
        return false;
    }
    if (files.size() == 1 || files.size() > 2) {
        error = files.size() == 1 ? "missing output file: brindlet-render IN OUT [options]"
                                  : "too many file arguments: brindlet-render IN OUT [options]";
        return false;
    }
    if (files.size() == 2) {
        options.input = files[0];
        options.output = files[1];
    }
    return true;
}

bool parseNoteName(std::string_view text, int& note) {
    if (parseInt(text, note)) return note >= 0 && note <= 127;
    static constexpr int kSteps[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (text.empty()) return false;
    char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    if (letter < 'A' || letter > 'G') return false;
    int pitch = kSteps[letter - 'A'];
    size_t at = 1;
    if (at < text.size() && (text[at] == '#' || text[at] == 'b')) {
        pitch += text[at] == '#' ? 1 : -1;
        ++at;
    }
    int octave = 0;
    if (!parseInt(text.substr(at), octave) || octave < -1 || octave > 9) return false;
    note = (octave + 1) * 12 + pitch;
    return note >= 0 && note <= 127;
}

std::string renderUsage() {
    return R"(brindlet-render: a command-line VST 2.x host

usage:
  brindlet-render                     render the built-in demo through every factory preset
                                      into out/demo/ and print a table
  brindlet-render --info [--plugin PATH]
                                      print what a host learns from the plug-in
  brindlet-render -o DIR IN... [options]
                                      render each input into DIR under its own name
  brindlet-render IN OUT [options]    render an audio file through the plug-in; OUT's
                                      extension picks the format: wav flac aif aiff au
                                      caf w64 rf64 ogg oga opus mp3

options:
  -o, --output-dir DIR    batch: one output per input in DIR, then a summary table
  --all-programs          with -o: render through every program, as IN-<program>.EXT
  -j, --jobs N            with -o: render N files at once, one plug-in instance each
  --plugin PATH           the VST 2.x module (default: brindlet.so next to this program)
  --program N|NAME        select a program by number (from 0) or by name
  --param NAME=VALUE      set a parameter by name to a normalised value 0..1 (repeatable)
  --note SEC:NOTE:VEL     send a MIDI note-on at SEC seconds; NOTE is 0..127 or a name
                          such as C3, F#2, Bb4 (middle C = C4 = 60) (repeatable)
  --midi FILE.mid         play the note-ons and note-offs of a Standard MIDI File (format 0
                          or 1) at their times, tempo changes honoured
  --param-at SEC:NAME=VALUE
                          set a parameter at SEC seconds, exactly from that frame (repeatable)
  --bits 16|24|32|float   sample encoding of the output (default: the input's)
  --rate HZ               resample the input to HZ (libsoxr) and run the plug-in at HZ
  --dither none|tpdf      TPDF dither when reducing to 16 or 24 bits (default: tpdf when
                          --bits is lower than the input's, otherwise none)
  --block N               frames per processing block (default 256)
  --tail SECONDS          keep processing silence after the input ends
  --plot FILE.png         draw input, output and the output's spectrogram
  --info                  print the plug-in's identity, parameters and programs first
  --list-programs         print the programs, one a line
  --list-params           print the parameters: name, display text and label
  --json                  --info and the render summary as JSON on standard output
  --version               print the version
  --quiet                 no progress bar
  --help                  this text
)";
}

}  // namespace brindlet
