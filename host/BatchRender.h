// Batch renders: several inputs, or one input through every program, into one folder.
#pragma once

#include <memory>

#include "host/PluginModule.h"
#include "host/RenderOptions.h"

namespace brindlet {

// Renders every input of `options.inputs` into options.outputDir (through every program with
// --all-programs), options.jobs at a time, each with its own plug-in instance; a failing file
// is reported and the rest still rendered. Prints a summary table; answers the first failure's
// exit code, or 0.
int renderBatch(const RenderOptions& options, const std::shared_ptr<PluginModule>& module);

}  // namespace brindlet
