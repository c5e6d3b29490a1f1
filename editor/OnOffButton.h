// A two-image toggle: the upper image for value 0, the lower one for any other value.
#pragma once

#include <cstdint>

#include "toolkit/core/Control.h"

namespace brindlet {

class OnOffButton : public Control {
public:
    OnOffButton(const Rect& bounds, ControlListener* listener, int32_t tag, Bitmap* background);

    void draw(DrawContext* context) override;
    // Flips the value on a left press and always tells the listener.
    void onMouseDown(DrawContext* context, const Point& where) override;

protected:
    ~OnOffButton() override = default;
};

}  // namespace brindlet
