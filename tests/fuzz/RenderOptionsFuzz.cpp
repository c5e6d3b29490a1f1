// Fuzz target: brindlet-render's option parser on any argument list (split at zero bytes).
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
    brindlet::parseRenderOptions(static_cast<int>(words.size()), argv.data(), options, error);
    return 0;
}
