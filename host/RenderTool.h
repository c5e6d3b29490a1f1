// brindlet-render's top level: options in, exit code out.
#pragma once

namespace brindlet {

int runRenderTool(int argc, const char* const* argv);

}  // namespace brindlet
