// Lamps and labels on recessed plates; segment columns split where the meter splits its bar.
#include "tools/artwork/IndicatorArt.h"

#include <cmath>
#include <string>

#include "tools/artwork/Painter.h"
#include "tools/artwork/PanelLayout.h"

namespace brindlet::artwork {
namespace {

void drawPlate(cairo_t* cr, double w, double h) {
    roundedRect(cr, 0, 0, w, h, 3);
    setColour(cr, rgb(0x111214));
    cairo_fill(cr);
    roundedRect(cr, 1, 1, w - 2, h - 2, 2.5);
    setVerticalGradient(cr, 0, h, rgb(0x1b1c20), rgb(0x23252a));
    cairo_fill(cr);
    setColour(cr, rgb(0x000000), 0.45);
    cairo_rectangle(cr, 2, 1, w - 4, 1);
    cairo_fill(cr);
}

void drawLamp(cairo_t* cr, double cx, double cy, bool lit) {
    if (lit) {
        cairo_pattern_t* glow = cairo_pattern_create_radial(cx, cy, 1, cx, cy, 6);
        cairo_pattern_add_color_stop_rgba(glow, 0, kAmber.r, kAmber.g, kAmber.b, 0.45);
        cairo_pattern_add_color_stop_rgba(glow, 1, kAmber.r, kAmber.g, kAmber.b, 0.0);
        cairo_arc(cr, cx, cy, 6, 0, 2 * M_PI);
        cairo_set_source(cr, glow);
        cairo_fill(cr);
        cairo_pattern_destroy(glow);
    }
    cairo_arc(cr, cx, cy, 3.2, 0, 2 * M_PI);
    setColour(cr, rgb(0x08090a));
    cairo_fill(cr);
    cairo_arc(cr, cx, cy, 2.4, 0, 2 * M_PI);
    setColour(cr, lit ? kAmber : kAmberDim);
    cairo_fill(cr);
    if (lit) {
        cairo_arc(cr, cx - 0.7, cy - 0.7, 0.9, 0, 2 * M_PI);
        setColour(cr, rgb(0xfff0c8));
        cairo_fill(cr);
    }
}

Image toggleImage(const Image& under, bool on) {
    Surface s(under.width, under.height);
    cairo_t* cr = s.cr();
    drawPlate(cr, under.width, under.height);
    drawLamp(cr, 8.5, 7.5, on);
    TextStyle style;
    style.size = 9.0;
    style.bold = true;
    style.colour = on ? kInk : kInkDim;
    drawText(cr, "Slope Off", 15.0, 11.0, style);
    return s.over(under);
}

double bandCentre(int k) {
    return kTrigModeBox.height() / double(kTrigModePositions) * (k + 0.5);
}

Image switchImage(const Image& under, int selected) {
    Surface s(under.width, under.height);
    cairo_t* cr = s.cr();
    drawPlate(cr, under.width, under.height);
    // The lever's slot, with a notch at every position.
    setColour(cr, kGroove);
    cairo_rectangle(cr, 6, 6, 4, under.height - 12);
    cairo_fill(cr);
    setColour(cr, rgb(0xffffff), 0.12);
    cairo_rectangle(cr, 10, 6, 1, under.height - 12);
    cairo_fill(cr);
    for (int k = 0; k < kTrigModePositions; ++k) {
        double y = std::floor(bandCentre(k)) + 0.5;
        setColour(cr, kInkDim, 0.5);
        cairo_set_line_width(cr, 1);
        cairo_move_to(cr, 12, y);
        cairo_line_to(cr, 15, y);
        cairo_stroke(cr);
        TextStyle style;
        style.size = 8.5;
        style.bold = k == selected;
        style.colour = k == selected ? kAmber : kInkDim;
        drawText(cr, kTrigModeNames[k], 17.0, y + 3.0, style);
    }
    // The lever: a small metal cap on the slot at the selected notch.
    double y = std::floor(bandCentre(selected)) + 0.5;
    roundedRect(cr, 2, y - 5.5, 12, 11, 1.5);
    setColour(cr, rgb(0x08090a));
    cairo_fill(cr);
    cairo_pattern_t* metal = cairo_pattern_create_linear(0, y - 5, 0, y + 5);
    cairo_pattern_add_color_stop_rgb(metal, 0, 0.72, 0.74, 0.78);
    cairo_pattern_add_color_stop_rgb(metal, 1, 0.28, 0.30, 0.33);
    roundedRect(cr, 3, y - 4.5, 10, 9, 1);
    cairo_set_source(cr, metal);
    cairo_fill(cr);
    cairo_pattern_destroy(metal);
    setColour(cr, kAmber);
    cairo_rectangle(cr, 4, y - 0.5, 8, 1);
    cairo_fill(cr);
    return s.over(under);
}

}  // namespace

Image drawSlopeOffToggle(const Image& panel) {
    const Box& b = kSlopeOffBox;
    Image under = panel.crop(b.left, b.top, b.width(), b.height());
    return stackVertically({toggleImage(under, false), toggleImage(under, true)});
}

Image drawTrigModeSwitch(const Image& panel) {
    const Box& b = kTrigModeBox;
    Image under = panel.crop(b.left, b.top, b.width(), b.height());
    std::vector<Image> images;
    for (int k = 0; k < kTrigModePositions; ++k) images.push_back(switchImage(under, k));
    return stackVertically(images);
}

Image drawMeter(bool lit, Rgb base, Rgb warm, Rgb hot) {
    const int width = kLevelMeterBox.width(), height = kLevelMeterBox.height();
    Surface s(width, height);
    cairo_t* cr = s.cr();
    setColour(cr, rgb(0x0a0b0c));
    cairo_paint(cr);
    for (int i = 0; i < kMeterSegments; ++i) {
        // Segment i (from the top) spans the rows between the meter's splits for i and i + 1
        // unlit segments, so a partly lit bar always ends on a segment gap.
        int top = i * height / kMeterSegments;
        int bottom = (i + 1) * height / kMeterSegments - 1;  // last row stays dark: the gap
        Rgb c = i < 2 ? hot : (i < 5 ? warm : base);
        double k = lit ? 1.0 : 0.2;
        setColour(cr, {c.r * k, c.g * k, c.b * k});
        cairo_rectangle(cr, 1, top, width - 2, bottom - top);
        cairo_fill(cr);
        setColour(cr, rgb(0xffffff), lit ? 0.35 : 0.06);
        cairo_rectangle(cr, 2, top, width - 4, 1);
        cairo_fill(cr);
    }
    return s.over(Image(width, height));
}

}  // namespace brindlet::artwork
