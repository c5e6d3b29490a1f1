// A display-only bar of segments drawn from a lit and an unlit image, falling back step by step.
#pragma once

#include <cstdint>

#include "toolkit/core/Control.h"

namespace brindlet {

enum LevelMeterStyle : int32_t {
    kMeterHorizontal = 1,  // grows to the right; otherwise a vertical bar growing upwards
};

class LevelMeter : public Control {
public:
    LevelMeter(const Rect& bounds, Bitmap* onBitmap, Bitmap* offBitmap, int32_t segments,
               int32_t style);

    void draw(DrawContext* context) override;
    // Dirty while the bar has not yet met the clamped level.
    bool isDirty() const override;
    // A plain store of the dirty flag: oldValue holds the level on display.
    void setDirty(bool flag) override;
    virtual void setDecreaseStep(float step);

    float getDecreaseStep() const { return decreaseStep; }
    int32_t getSegments() const { return segments; }
    const Rect& getOnRect() const { return onRect; }
    const Rect& getOffRect() const { return offRect; }

protected:
    ~LevelMeter() override;

private:
    // The fed value read once and clamped to the range, NaN as the minimum. Never written back:
    // the feed may have stored a newer value meanwhile.
    float level() const;

    Bitmap* onBitmap;
    Bitmap* offBitmap;
    int32_t segments;
    int32_t style;
    float decreaseStep = 0.1f;
    Rect onRect;
    Rect offRect;
};

}  // namespace brindlet
