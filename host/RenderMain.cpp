// brindlet-render: a command-line VST 2.x host.
#include "host/PlotWriter.h"
#include "host/RenderTool.h"

int main(int argc, char** argv) {
    int code = brindlet::runRenderTool(argc, argv);
    brindlet::releasePlotResources();
    return code;
}
