// Window contexts take the window's drawing surface on construction and give it back when
// destroyed.
#include "toolkit/draw/WindowDrawContext.h"

#include "toolkit/core/Frame.h"
#include "toolkit/platform/Platform.h"

namespace brindlet {

namespace {
NativeWindow* windowOf(Frame* frame) {
    return frame ? frame->getWindow() : nullptr;
}
}  // namespace

WindowDrawContext::WindowDrawContext(Frame* frame)
    : DrawContext(frame, platform::beginWindowDrawing(windowOf(frame)), windowOf(frame)) {}

WindowDrawContext::~WindowDrawContext() {
    if (getSurface()) platform::endWindowDrawing(getWindow(), getSurface());
}

}  // namespace brindlet
