// Buttons: a raised metal-dark face when released; sunk, darker and lit amber when pressed.
#include "tools/artwork/ButtonArt.h"

#include <cmath>
#include <string>
#include <vector>

#include "tools/artwork/Painter.h"

namespace brindlet::artwork {
namespace {

struct Face {
    double x, y, w, h, radius;
};

void drawFace(cairo_t* cr, const Face& f, bool pressed) {
    roundedRect(cr, f.x, f.y, f.w, f.h, f.radius);
    setColour(cr, rgb(0x0b0c0e));
    cairo_fill(cr);
    roundedRect(cr, f.x + 1, f.y + 1, f.w - 2, f.h - 2, f.radius - 0.5);
    if (pressed) {
        setVerticalGradient(cr, f.y, f.y + f.h, kButtonPressedTop, kButtonPressedBottom);
    } else {
        setVerticalGradient(cr, f.y, f.y + f.h, kButtonTop, kButtonBottom);
    }
    cairo_fill(cr);
    // Released: a lit top edge. Pressed: a shadow along the top, as if sunk into the panel.
    setColour(cr, pressed ? rgb(0x000000) : rgb(0xffffff), pressed ? 0.55 : 0.18);
    cairo_rectangle(cr, f.x + 2, f.y + 1, f.w - 4, pressed ? 2 : 1);
    cairo_fill(cr);
}

// Splits a name into at most two lines at the space closest to its middle.
std::vector<std::string> twoLines(std::string_view name) {
    std::string text(name);
    std::size_t best = std::string::npos;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != ' ') continue;
        auto off = [&](std::size_t p) {
            return std::abs(static_cast<long>(p * 2) - static_cast<long>(text.size()));
        };
        if (best == std::string::npos || off(i) < off(best)) best = i;
    }
    if (best == std::string::npos) return {text};
    return {text.substr(0, best), text.substr(best + 1)};
}

TextStyle labelStyle(bool pressed, double size, bool narrow) {
    TextStyle style;
    style.size = size;
    style.bold = true;
    style.narrow = narrow;
    style.colour = pressed ? kAmber : kInk;
    return style;
}

// The largest style in which every line fits `width`: the regular face down to 8.5 pixels, then
// the narrow face, which stays more legible than a smaller regular one.
TextStyle fittingStyle(cairo_t* cr, const std::vector<std::string>& lines, double width,
                       bool pressed) {
    for (bool narrow : {false, true}) {
        for (double size = 9.0; size >= (narrow ? 7.5 : 8.5); size -= 0.5) {
            TextStyle style = labelStyle(pressed, size, narrow);
            bool fits = true;
            for (const std::string& line : lines)
                fits = fits && textWidth(cr, line, style) <= width;
            if (fits) return style;
        }
    }
    return labelStyle(pressed, 7.5, true);
}

Image presetImage(const Image& panel, std::string_view name, bool pressed) {
    Surface s(panel.width, panel.height);
    cairo_t* cr = s.cr();
    drawFace(cr, {0, 0, 35, 35, 3.5}, pressed);
    // A small lamp at the top: dark when released, lit amber while pressed.
    roundedRect(cr, 11, 4, 13, 3, 1.5);
    setColour(cr, pressed ? kAmber : kAmberDim);
    cairo_fill(cr);
    if (pressed) {
        roundedRect(cr, 9, 3, 17, 5, 2.5);
        setColour(cr, kAmber, 0.25);
        cairo_fill(cr);
    }
    std::vector<std::string> lines = twoLines(name);
    TextStyle style = fittingStyle(cr, lines, 33.0, pressed);
    double shift = pressed ? 1.0 : 0.0;
    double first = lines.size() == 1 ? 24.0 : 19.5;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        drawText(cr, lines[i], 17.5, first + shift + i * (style.size + 1.5), style, Align::kCentre);
    }
    return s.overWithSeeThrough(panel);
}

Image ratioImage(const Image& panel, std::string_view ratio, bool pressed) {
    Surface s(panel.width, panel.height);
    cairo_t* cr = s.cr();
    // Rows 0..11; the 13th row stays see-through so neighbouring buttons keep a gap.
    drawFace(cr, {0, 0, 47, 12, 2.5}, pressed);
    TextStyle style = labelStyle(pressed, 9.0, false);
    drawText(cr, ratio, 23.5, 9.0 + (pressed ? 1.0 : 0.0), style, Align::kCentre);
    return s.overWithSeeThrough(panel);
}

void drawResetGlyph(cairo_t* cr, double cx, double cy, Rgb colour) {
    // An open circle with an arrow head: "back to the middle".
    setColour(cr, colour);
    cairo_set_line_width(cr, 1.6);
    cairo_arc(cr, cx, cy, 4.0, -M_PI * 0.35, M_PI * 1.45);
    cairo_stroke(cr);
    double ax = cx + 4.0 * std::cos(-M_PI * 0.35), ay = cy + 4.0 * std::sin(-M_PI * 0.35);
    cairo_move_to(cr, ax + 2.6, ay - 1.4);
    cairo_line_to(cr, ax - 1.2, ay - 2.8);
    cairo_line_to(cr, ax + 0.2, ay + 2.0);
    cairo_close_path(cr);
    cairo_fill(cr);
}

Image resetImage(const Image& panel, bool pressed) {
    Surface s(panel.width, panel.height);
    cairo_t* cr = s.cr();
    double c = 9.5;
    cairo_arc(cr, c, c, 9.3, 0, 2 * M_PI);
    setColour(cr, rgb(0x0b0c0e));
    cairo_fill(cr);
    cairo_arc(cr, c, c, 8.2, 0, 2 * M_PI);
    if (pressed) {
        setVerticalGradient(cr, 1, 18, kButtonPressedTop, kButtonPressedBottom);
    } else {
        setVerticalGradient(cr, 1, 18, kButtonTop, kButtonBottom);
    }
    cairo_fill(cr);
    drawResetGlyph(cr, c, c + (pressed ? 0.8 : 0.0), pressed ? kAmber : kInk);
    return s.overWithSeeThrough(panel);
}

Image pair(const Image& released, const Image& pressed) {
    return stackVertically({released, pressed});
}

}  // namespace

Image drawPresetButton(const Image& panel, const Box& box, std::string_view name) {
    Image under = panel.crop(box.left, box.top, box.width(), box.height());
    return pair(presetImage(under, name, false), presetImage(under, name, true));
}

Image drawRatioButton(const Image& panel, const Box& box, std::string_view ratio) {
    Image under = panel.crop(box.left, box.top, box.width(), box.height());
    return pair(ratioImage(under, ratio, false), ratioImage(under, ratio, true));
}

Image drawResetButton(const Image& panel, const Box& box) {
    Image under = panel.crop(box.left, box.top, box.width(), box.height());
    return pair(resetImage(under, false), resetImage(under, true));
}

}  // namespace brindlet::artwork
