// Fuzz target: brindlet-render's option parser on any argument list (split at zero bytes). A
// refusal is one line; what it accepts is within the ranges the renderer relies on.
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/RenderOptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> words{"brindlet-render"};
    std::string word;
    for (size_t i = 0; i < size && words.size() < 64; ++i) {
        if (data[i] == 0) {
            words.push_back(word);
            word.clear();
        } else {
            word.push_back(static_cast<char>(data[i]));
        }
    }
    if (!word.empty()) words.push_back(word);
    std::vector<const char*> argv;
    for (const std::string& w : words) argv.push_back(w.c_str());
    argv.push_back(nullptr);
    brindlet::RenderOptions options;
    std::string error;
    if (!brindlet::parseRenderOptions(static_cast<int>(words.size()), argv.data(), options,
                                      error)) {
        if (error.empty() || error.find('\n') != std::string::npos) std::abort();
        return 0;
    }
    bool sane = options.blockSize >= 1 && options.blockSize <= 65536 && options.jobs >= 1 &&
                options.jobs <= 256 && (options.rate == 0 || options.rate >= 1000) &&
                options.tailSeconds >= 0.0 && std::isfinite(options.tailSeconds);
    for (const brindlet::NoteRequest& n : options.notes) {
        sane = sane && n.seconds >= 0.0 && std::isfinite(n.seconds) && n.note >= 0 &&
               n.note <= 127 && n.velocity >= 0 && n.velocity <= 127;
    }
    for (const brindlet::ParameterRequest& p : options.parameters) {
        sane = sane && p.value >= 0.0f && p.value <= 1.0f;
    }
    for (const brindlet::TimedParameterRequest& t : options.timedParameters) {
        sane = sane && t.seconds >= 0.0 && std::isfinite(t.seconds) && t.parameter.value >= 0.0f &&
               t.parameter.value <= 1.0f;
    }
    int note = 0;
    for (const std::string& w : words) {
        if (brindlet::parseNoteName(w, note)) sane = sane && note >= 0 && note <= 127;
    }
    if (!sane) std::abort();
    return 0;
}
