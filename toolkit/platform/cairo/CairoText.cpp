// Fonts found by name through fontconfig (cairo's toy font faces) and one-line text drawing.
#include <fontconfig/fontconfig.h>

#include <cmath>
#include <cstring>
#include <new>

#include "toolkit/platform/cairo/CairoTypes.h"

namespace brindlet {

namespace {

constexpr int32_t kBoldWeight = 600;
constexpr double kDefaultFontSize = 12.0;

void applyFont(cairo_t* cr, NativeFont* font) {
    if (font && font->face) {
        cairo_set_font_face(cr, font->face);
        cairo_set_font_size(cr, font->size);
    } else {
        cairo_select_font_face(cr, "Arial", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cr, kDefaultFontSize);
    }
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

void setColor(cairo_t* cr, Color c) {
    cairo_set_source_rgb(cr, c.red / 255.0, c.green / 255.0, c.blue / 255.0);
}

}  // namespace

namespace cairo_backend {

void releaseStaticData() {
    cairo_debug_reset_static_data();
    FcFini();
}

}  // namespace cairo_backend

namespace platform {

NativeFont* createFont(const FontDescription& d) {
    const char* face = (d.face && d.face[0]) ? d.face : "Arial";
    cairo_font_face_t* created = cairo_toy_font_face_create(
        face, d.italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
        d.weight >= kBoldWeight ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    if (cairo_font_face_status(created) != CAIRO_STATUS_SUCCESS) {
        cairo_font_face_destroy(created);
        return nullptr;
    }
    NativeFont* font = new (std::nothrow) NativeFont;
    if (!font) {
        cairo_font_face_destroy(created);
        return nullptr;
    }
    font->face = created;
    // A negative height asks for that character (em) height; a positive one is taken the same way.
    const int32_t height = d.height < 0 ? -d.height : d.height;
    font->size = height > 0 ? height : kDefaultFontSize;
    font->underline = d.underline;
    return font;
}

void destroyFont(NativeFont* font) {
    if (!font) return;
    cairo_font_face_destroy(font->face);
    delete font;
}

void drawText(NativeSurface* surface, const char* text, const Rect& area, NativeFont* font,
              Color color, bool opaque, Color back, TextAlign align) {
    if (!surface || !surface->cr || !text || area.width() <= 0 || area.height() <= 0) return;
    cairo_t* cr = surface->cr;
    cairo_save(cr);
    cairo_rectangle(cr, area.left, area.top, area.width(), area.height());
    cairo_clip(cr);
    applyFont(cr, font);

    cairo_font_extents_t fe;
    cairo_font_extents(cr, &fe);
    cairo_text_extents_t te;
    cairo_text_extents(cr, text, &te);
    const int32_t textWidth = static_cast<int32_t>(std::lround(te.x_advance));
    const int32_t lineHeight = static_cast<int32_t>(std::lround(fe.ascent + fe.descent));
    int32_t x = area.left;
    if (align == alignCenter) {
        x = area.left + (area.width() - textWidth) / 2;
    } else if (align == alignRight) {
        x = area.right - textWidth;
    }
    const int32_t top = area.top + (area.height() - lineHeight) / 2;
    const int32_t baseline = top + static_cast<int32_t>(std::lround(fe.ascent));

    if (opaque) {
        setColor(cr, back);
        cairo_rectangle(cr, x, top, textWidth, lineHeight);
        cairo_fill(cr);
    }
    setColor(cr, color);
    cairo_move_to(cr, x, baseline);
    cairo_show_text(cr, text);
    if (font && font->underline) {
        const double thickness = std::fmax(1.0, std::floor(font->size / 14.0));
        cairo_rectangle(cr, x, baseline + 1, textWidth, thickness);
        cairo_fill(cr);
    }
    cairo_restore(cr);
}

}  // namespace platform
}  // namespace brindlet
