// What the frame and its controls may ask of the editor that owns the frame.
#pragma once

#include <cstdint>

namespace brindlet {

class FrameEditor {
public:
    virtual ~FrameEditor() = default;
    // Redraws dirty views, lets one paint request through and gives the host idle time,
    // at most every 50 ms or so; tracking loops call it on every pass.
    virtual void idleAndPump() = 0;
    // Bracket a user gesture on parameter `tag` for the host.
    virtual bool beginEdit(int32_t tag) = 0;
    virtual int32_t endEdit(int32_t tag) = 0;
};

}  // namespace brindlet
