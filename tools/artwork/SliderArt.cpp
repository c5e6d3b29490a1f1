// Grooves with tick scales at every tenth of the travel, metal handles with a coloured mark.
#include "tools/artwork/SliderArt.h"

#include <cmath>

namespace brindlet::artwork {
namespace {

// A handle's centre is half a handle in from its leading edge; ticks mark where the centre can be.
constexpr int kHandleCentre = kHandleSize / 2;
constexpr int kTickCount = 11;

// Draws in slider-local coordinates where the travel runs along y; horizontal sliders are rotated.
void drawVerticalTrack(cairo_t* cr) {
    for (int k = 0; k < kTickCount; ++k) {
        double y = kHandleCentre + k * kHandleTravel / (kTickCount - 1) + 0.5;
        bool major = k % 5 == 0;
        setColour(cr, kInkDim, major ? 0.85 : 0.5);
        cairo_set_line_width(cr, 1.0);
        cairo_move_to(cr, major ? 1 : 3, y);
        cairo_line_to(cr, 7, y);
        cairo_move_to(cr, 14, y);
        cairo_line_to(cr, major ? 20 : 18, y);
        cairo_stroke(cr);
    }
    // Recessed slot: dark body, shadowed upper-left edge, lit lower-right edge.
    double top = kHandleCentre - 5, bottom = kTrackLength - kHandleCentre + 5;
    setColour(cr, kGroove);
    cairo_rectangle(cr, 8, top, 5, bottom - top);
    cairo_fill(cr);
    setColour(cr, rgb(0x000000), 0.6);
    cairo_rectangle(cr, 8, top, 1, bottom - top);
    cairo_rectangle(cr, 8, top, 5, 1);
    cairo_fill(cr);
    setColour(cr, rgb(0xffffff), 0.16);
    cairo_rectangle(cr, 13, top, 1, bottom - top + 1);
    cairo_rectangle(cr, 8, bottom, 6, 1);
    cairo_fill(cr);
}

}  // namespace

void drawTrack(cairo_t* cr, const SliderPlace& slider) {
    cairo_save(cr);
    cairo_translate(cr, slider.bounds.left, slider.bounds.top);
    if (slider.horizontal) {
        // Mirror across the diagonal: local y becomes panel x.
        cairo_matrix_t swap = {0, 1, 1, 0, 0, 0};
        cairo_transform(cr, &swap);
    }
    drawVerticalTrack(cr);
    cairo_restore(cr);
}

Image trackTone(int width, int height) {
    return Image(width, height, 0x2c2f34);
}

namespace {

void drawRoundKnob(cairo_t* cr, Rgb accent) {
    double c = kHandleSize / 2.0;
    cairo_pattern_t* metal = cairo_pattern_create_radial(c - 3, c - 4, 1, c, c, 10);
    cairo_pattern_add_color_stop_rgb(metal, 0, 0.78, 0.80, 0.83);
    cairo_pattern_add_color_stop_rgb(metal, 1, 0.27, 0.29, 0.32);
    cairo_arc(cr, c, c, 9.6, 0, 2 * M_PI);
    setColour(cr, rgb(0x0a0b0d));
    cairo_fill(cr);
    cairo_arc(cr, c, c, 8.6, 0, 2 * M_PI);
    cairo_set_source(cr, metal);
    cairo_fill(cr);
    cairo_pattern_destroy(metal);
    cairo_arc(cr, c, c, 4.6, 0, 2 * M_PI);
    setColour(cr, accent);
    cairo_set_line_width(cr, 1.8);
    cairo_stroke(cr);
    cairo_arc(cr, c, c, 1.6, 0, 2 * M_PI);
    setColour(cr, rgb(0x1a1b1e));
    cairo_fill(cr);
}

void drawFaderCap(cairo_t* cr, Rgb accent) {
    // Columns 1..19, rows 4..16: the cap's middle row is the handle's centre.
    roundedRect(cr, 1, 4, 19, 13, 2.5);
    setColour(cr, rgb(0x0a0b0d));
    cairo_fill(cr);
    roundedRect(cr, 2, 5, 17, 11, 1.5);
    cairo_pattern_t* metal = cairo_pattern_create_linear(0, 5, 0, 16);
    cairo_pattern_add_color_stop_rgb(metal, 0, 0.70, 0.72, 0.76);
    cairo_pattern_add_color_stop_rgb(metal, 0.45, 0.46, 0.48, 0.52);
    cairo_pattern_add_color_stop_rgb(metal, 0.55, 0.36, 0.38, 0.42);
    cairo_pattern_add_color_stop_rgb(metal, 1, 0.25, 0.27, 0.30);
    cairo_set_source(cr, metal);
    cairo_fill(cr);
    cairo_pattern_destroy(metal);
    // Grip lines and the coloured centre mark.
    setColour(cr, rgb(0x000000), 0.35);
    cairo_rectangle(cr, 4, 7, 13, 1);
    cairo_rectangle(cr, 4, 13, 13, 1);
    cairo_fill(cr);
    setColour(cr, accent);
    cairo_rectangle(cr, 3, 10, 15, 1);
    cairo_fill(cr);
}

}  // namespace

Image drawHandle(Rgb accent, bool round) {
    Surface surface(kHandleSize, kHandleSize);
    if (round) {
        drawRoundKnob(surface.cr(), accent);
    } else {
        drawFaderCap(surface.cr(), accent);
    }
    return surface.overWithSeeThrough(trackTone(kHandleSize, kHandleSize));
}

}  // namespace brindlet::artwork
