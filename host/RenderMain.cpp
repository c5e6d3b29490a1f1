// brindlet-render: a command-line VST 2.x host.
#include "host/RenderTool.h"

int main(int argc, char** argv) {
    return brindlet::runRenderTool(argc, argv);
}
