// Receives the edits a control makes; the editor implements it.
#pragma once

namespace brindlet {

class Control;
class DrawContext;

class ControlListener {
public:
    virtual ~ControlListener() = default;
    // `context` is null for edits made with keys or the wheel.
    virtual void valueChanged(DrawContext* context, Control* control) = 0;
};

}  // namespace brindlet
