// Placeholder until the demo generator lands.
#include "tools/demo/DemoSignal.h"

namespace brindlet {
StereoSignal makeDemoSignal(float) { return {}; }
}  // namespace brindlet
