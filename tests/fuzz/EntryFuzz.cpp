// Fuzz target: the typed "Pitch/ End" parser; any text gives a number from 0 to 1.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "editor/PluginEditor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    char text[300];
    const size_t n = size < sizeof text - 1 ? size : sizeof text - 1;
    std::memcpy(text, data, n);
    text[n] = '\0';
    const float v = brindlet::PluginEditor::parseEndEntry(text);
    if (!(v >= 0.0f && v <= 1.0f)) std::abort();
    return 0;
}
