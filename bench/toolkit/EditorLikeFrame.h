// A frame laid out like the editor: background 465 x 360 and its twelve sliders with their track
// and handle bitmaps; shared by the headless and X11 benchmarks.
#pragma once

#include "toolkit/bitmap/Bitmap.h"
#include "toolkit/controls/Slider.h"
#include "toolkit/core/Frame.h"

namespace brindlet::bench {

struct SliderPlace {
    Rect bounds;
    bool horizontal;
    int32_t track;
    int32_t handle;
};

inline constexpr SliderPlace kEditorSliders[12] = {
    {{150, 34, 171, 155}, false, 152, 166},  {{287, 34, 308, 155}, false, 153, 166},
    {{169, 14, 290, 35}, true, 150, 166},    {{169, 152, 290, 173}, true, 151, 166},
    {{23, 192, 44, 313}, false, 154, 167},   {{54, 192, 75, 313}, false, 155, 167},
    {{108, 192, 129, 313}, false, 156, 168}, {{282, 192, 303, 313}, false, 158, 169},
    {{158, 192, 179, 313}, false, 157, 168}, {{331, 192, 352, 313}, false, 159, 169},
    {{386, 192, 407, 313}, false, 160, 170}, {{418, 192, 439, 313}, false, 161, 170},
};

// Fills `frame` with the background and the sliders, each at half way.
inline void buildEditorLikeFrame(Frame& frame) {
    Bitmap* background = new Bitmap(128);
    frame.setBackground(background);
    background->release();
    for (const SliderPlace& p : kEditorSliders) {
        Bitmap* track = new Bitmap(p.track);
        Bitmap* handle = new Bitmap(p.handle);
        const Rect& b = p.bounds;
        Slider* s = p.horizontal
                        ? static_cast<Slider*>(new HorizontalSlider(
                              b, nullptr, 0, b.left, b.left + 100, handle, track, Point()))
                        : static_cast<Slider*>(new VerticalSlider(
                              b, nullptr, 0, b.top, b.top + 100, handle, track, Point()));
        s->setHandleOffset(Point());
        s->setValue(0.5f);
        frame.addView(s);
        track->release();
        handle->release();
    }
}

}  // namespace brindlet::bench
