// Cairo surfaces, text and compositing for the generator.
#include "tools/artwork/Painter.h"

#include <cmath>
#include <string>

namespace brindlet::artwork {

Surface::Surface(int width, int height)
    : width_(width),
      height_(height),
      surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)),
      cr_(cairo_create(surface_)) {
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr_, options);
    cairo_font_options_destroy(options);
}

Surface::~Surface() {
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
}

std::uint32_t Surface::composite(int x, int y, std::uint32_t under, bool* covered) const {
    cairo_surface_flush(surface_);
    const unsigned char* data = cairo_image_surface_get_data(surface_);
    int stride = cairo_image_surface_get_stride(surface_);
    std::uint32_t argb = *reinterpret_cast<const std::uint32_t*>(data + y * stride + x * 4);
    unsigned alpha = argb >> 24;
    *covered = alpha >= 128;
    std::uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        // Premultiplied source over the opaque destination.
        unsigned s = (argb >> shift) & 0xFF;
        unsigned d = (under >> shift) & 0xFF;
        unsigned c = s + (d * (255 - alpha) + 127) / 255;
        out |= (c > 255 ? 255 : c) << shift;
    }
    return out;
}

Image Surface::over(const Image& under) const {
    Image out(width_, height_);
    bool covered = false;
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) out.set(x, y, composite(x, y, under.at(x, y), &covered));
    }
    return out;
}

Image Surface::overWithSeeThrough(const Image& under) const {
    Image out(width_, height_);
    bool covered = false;
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            std::uint32_t rgb = composite(x, y, under.at(x, y), &covered);
            out.set(x, y, covered ? rgb : kSeeThrough);
        }
    }
    return out;
}

void setColour(cairo_t* cr, Rgb colour, double alpha) {
    cairo_set_source_rgba(cr, colour.r, colour.g, colour.b, alpha);
}

namespace {

void selectFont(cairo_t* cr, const TextStyle& style) {
    cairo_select_font_face(cr, style.narrow ? "Liberation Sans Narrow" : "Liberation Sans",
                           CAIRO_FONT_SLANT_NORMAL,
                           style.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, style.size);
}

double advance(cairo_t* cr, std::string_view text) {
    cairo_text_extents_t extents;
    cairo_text_extents(cr, std::string(text).c_str(), &extents);
    return extents.x_advance;
}

void showTracked(cairo_t* cr, std::string_view text, double x, double baseline, double tracking) {
    for (char c : text) {
        char glyph[2] = {c, 0};
        cairo_move_to(cr, x, baseline);
        cairo_show_text(cr, glyph);
        x += advance(cr, std::string_view(glyph, 1)) + tracking;
    }
}

}  // namespace

double textWidth(cairo_t* cr, std::string_view text, const TextStyle& style) {
    selectFont(cr, style);
    if (style.tracking == 0.0) return advance(cr, text);
    double width = 0.0;
    for (char c : text) width += advance(cr, std::string_view(&c, 1)) + style.tracking;
    return text.empty() ? 0.0 : width - style.tracking;
}

void drawText(cairo_t* cr, std::string_view text, double x, double baseline, const TextStyle& style,
              Align align) {
    double width = textWidth(cr, text, style);
    if (align == Align::kCentre) x -= width / 2.0;
    if (align == Align::kRight) x -= width;
    x = std::round(x);
    if (style.shadow) {
        setColour(cr, kEngraveDark, 0.8);
        showTracked(cr, text, x, baseline + 1.0, style.tracking);
    }
    setColour(cr, style.colour);
    showTracked(cr, text, x, baseline, style.tracking);
}

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double radius) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - radius, y + radius, radius, -M_PI / 2, 0);
    cairo_arc(cr, x + w - radius, y + h - radius, radius, 0, M_PI / 2);
    cairo_arc(cr, x + radius, y + h - radius, radius, M_PI / 2, M_PI);
    cairo_arc(cr, x + radius, y + radius, radius, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

void setVerticalGradient(cairo_t* cr, double y0, double y1, Rgb top, Rgb bottom) {
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, y0, 0, y1);
    cairo_pattern_add_color_stop_rgb(gradient, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(gradient, 1, bottom.r, bottom.g, bottom.b);
    cairo_set_source(cr, gradient);
    cairo_pattern_destroy(gradient);
}

}  // namespace brindlet::artwork
