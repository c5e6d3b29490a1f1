// brindlet-render's top level: options in, exit code out.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/PluginModule.h"
#include "host/RenderOptions.h"

namespace brindlet {

// What one file render measured.
struct RenderSummary {
    std::string output;
    int32_t channels = 0;
    int32_t sampleRate = 0;
    double seconds = 0.0;
    double peakDb = -200.0;
    double rmsDb = -200.0;
    int64_t over = 0;
    bool clipped = false;
    size_t automation = 0;
    double realTimeFactor = 0.0;
    std::string program;
};

int runRenderTool(int argc, const char* const* argv);

// Renders options.input into options.output; errors and warnings go to standard error. With
// `result` the summary is stored there instead of printed.
int renderFile(const RenderOptions& options, const std::shared_ptr<PluginModule>& module,
               RenderSummary* result);

}  // namespace brindlet
