// A push button that is 1 while held with the pointer over it and returns to 0 on release.
#pragma once

#include <cstdint>

#include "toolkit/core/Control.h"

namespace brindlet {

class MomentaryButton : public Control {
public:
    // The bitmap holds the released image at imageOffset and the pressed one imageHeight below it.
    MomentaryButton(const Rect& bounds, ControlListener* listener, int32_t tag, int32_t imageHeight,
                    Bitmap* background, const Point& imageOffset = Point(0, 0));

    void draw(DrawContext* context) override;
    void onMouseDown(DrawContext* context, const Point& where) override;

    int32_t getImageHeight() const { return imageHeight; }
    const Point& getImageOffset() const { return imageOffset; }

protected:
    ~MomentaryButton() override = default;

private:
    void track(DrawContext* context, Point where);

    Point imageOffset;
    int32_t imageHeight;
};

}  // namespace brindlet
