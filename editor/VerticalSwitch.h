// An n-position switch drawn from n stacked images; the pointer's height picks the position.
#pragma once

#include <cstdint>

#include "toolkit/core/Control.h"

namespace brindlet {

class VerticalSwitch : public Control {
public:
    // Position p has the value p / (positions - 1); fewer than 2 positions count as 2.
    VerticalSwitch(const Rect& bounds, ControlListener* listener, int32_t tag, int32_t imageHeight,
                   int32_t positions, Bitmap* background);

    void draw(DrawContext* context) override;
    void onMouseDown(DrawContext* context, const Point& where) override;

    int32_t getImageHeight() const { return imageHeight; }
    int32_t getPositions() const { return positions; }

protected:
    ~VerticalSwitch() override = default;

private:
    void track(DrawContext* context, Point where, ButtonState buttons);

    int32_t imageHeight;
    int32_t positions;
};

}  // namespace brindlet
