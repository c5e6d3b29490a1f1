// Drawing with cairo for the generator: surfaces, text in Liberation Sans, and turning drawings
// into opaque images or images with see-through parts.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string_view>

#include "tools/artwork/Image.h"
#include "tools/artwork/Palette.h"

namespace brindlet::artwork {

// A transparent ARGB drawing surface with its context.
class Surface {
public:
    Surface(int width, int height);
    ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    cairo_t* cr() const { return cr_; }
    int width() const { return width_; }
    int height() const { return height_; }

    // The drawing laid over `under` (same size).
    Image over(const Image& under) const;
    // As `over`, but pixels the drawing covers less than half stay kSeeThrough, so no edge
    // pixel blends with the see-through colour.
    Image overWithSeeThrough(const Image& under) const;

private:
    std::uint32_t composite(int x, int y, std::uint32_t under, bool* covered) const;

    int width_;
    int height_;
    cairo_surface_t* surface_;
    cairo_t* cr_;
};

enum class Align { kLeft, kCentre, kRight };

struct TextStyle {
    double size = 9.0;
    bool bold = false;
    Rgb colour = kInk;
    double tracking = 0.0;  // extra pixels between letters
    bool narrow = false;    // Liberation Sans Narrow
    bool shadow = true;     // a dark print shadow one pixel below
};

void setColour(cairo_t* cr, Rgb colour, double alpha = 1.0);
double textWidth(cairo_t* cr, std::string_view text, const TextStyle& style);
void drawText(cairo_t* cr, std::string_view text, double x, double baseline, const TextStyle& style,
              Align align = Align::kLeft);
void roundedRect(cairo_t* cr, double x, double y, double w, double h, double radius);
// A vertical linear gradient from `top` to `bottom` over [y0, y1], set as the source.
void setVerticalGradient(cairo_t* cr, double y0, double y1, Rgb top, Rgb bottom);

}  // namespace brindlet::artwork
