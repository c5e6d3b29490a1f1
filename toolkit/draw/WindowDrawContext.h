// A drawing context straight on the frame's window for the length of one call.
#pragma once

#include "toolkit/draw/DrawContext.h"

namespace brindlet {

class WindowDrawContext : public DrawContext {
public:
    // Draws nothing when the frame is null or has no window.
    explicit WindowDrawContext(Frame* frame);
    ~WindowDrawContext() override;
};

}  // namespace brindlet
