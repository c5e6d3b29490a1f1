// The bare brindlet-render run: the built-in demo through every factory preset, and a table.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/PluginModule.h"
#include "host/RenderOptions.h"

namespace brindlet {

// Where the demo writes its files, relative to the working directory.
inline constexpr const char* kDemoFolder = "out/demo";
// Factory presets are programs 0 to 7.
inline constexpr int kDemoPresets = 8;

// A program name made safe for a file name: lower case, letters and digits, '-' between words.
std::string fileNameFor(const std::string& name, int program);

struct Level {
    double peakDb = -200.0;
    double rmsDb = -200.0;
};
Level measure(const std::vector<std::vector<float>>& channels);

// Renders and prints; answers the process exit code and sets `error` on failure.
int renderDemo(const RenderOptions& options, const std::shared_ptr<PluginModule>& module,
               std::string& error);

}  // namespace brindlet
