// brindlet-contact-sheet: composes the editor from the BMP files the way the controls draw them,
// once at rest and once with every button pressed and every lamp lit, and saves PNG previews.
// Usage: brindlet-contact-sheet BITMAP_DIR OUTPUT_DIR
#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>

#include "tools/artwork/BmpFile.h"
#include "tools/artwork/PanelLayout.h"

using namespace brindlet::artwork;

namespace {

using Bitmaps = std::map<int, Image>;

// Source rows [top, top + height) of `image` pasted at (x, y).
void drawPart(Image& sheet, const Image& image, int x, int y, int top, int height,
              bool seeThrough) {
    sheet.paste(image.crop(0, top, image.width, height), x, y, seeThrough);
}

void drawSlider(Image& sheet, const Bitmaps& bmp, const SliderPlace& s, double value) {
    Image composed = bmp.at(s.trackId);
    // Vertical sliders have value 0 at the bottom, horizontal ones at the left.
    double f = s.horizontal ? value : 1.0 - value;
    int start = static_cast<int>(kHandleTravel * f);
    composed.paste(bmp.at(s.handleId), s.horizontal ? start : 0, s.horizontal ? 0 : start, true);
    sheet.paste(composed, s.bounds.left, s.bounds.top);
}

void drawMeter(Image& sheet, const Image& lit, const Image& unlit, const Box& b, double value) {
    int dark = static_cast<int>((1.0 - value) * kMeterSegments + 0.5);
    int split = static_cast<int>(dark / double(kMeterSegments) * lit.height);
    drawPart(sheet, unlit, b.left, b.top, 0, split, false);
    drawPart(sheet, lit, b.left, b.top + split, split, lit.height - split, false);
}

Image compose(const Bitmaps& bmp, bool active) {
    Image sheet = bmp.at(kBackgroundId);
    const double values[12] = {0.8, 0.35, 0.6, 0.2, 0.5, 0.15, 0.3, 0.55, 0.7, 0.4, 1.0, 0.0};
    for (std::size_t i = 0; i < kSliders.size(); ++i) {
        drawSlider(sheet, bmp, kSliders[i], active ? 1.0 - values[i] : values[i]);
    }
    const Image& mode = bmp.at(kTrigModeId);
    int height = mode.height / kTrigModePositions;
    drawPart(sheet, mode, kTrigModeBox.left, kTrigModeBox.top, (active ? 2 : 0) * height, height,
             false);
    drawMeter(sheet, bmp.at(kMeterRiseLitId), bmp.at(kMeterRiseUnlitId), kRiseMeterBox,
              active ? 1.0 : 0.4);
    drawMeter(sheet, bmp.at(kMeterLevelLitId), bmp.at(kMeterLevelUnlitId), kLevelMeterBox,
              active ? 0.9 : 0.6);
    auto button = [&](int id, const Box& b) {
        drawPart(sheet, bmp.at(id), b.left, b.top, active ? b.height() : 0, b.height(), true);
    };
    button(kResetEnvModId, kResetEnvModBox);
    button(kResetFeedbackId, kResetFeedbackBox);
    for (int k = 0; k < kPresetCount; ++k) button(kPresetButtonId + k, presetButtonBox(k));
    for (int k = 0; k < kRatioCount; ++k) button(kRatioButtonId + k, ratioButtonBox(k));
    const Image& toggle = bmp.at(kSlopeOffId);
    drawPart(sheet, toggle, kSlopeOffBox.left, kSlopeOffBox.top, active ? toggle.height / 2 : 0,
             toggle.height / 2, false);
    return sheet;
}

// The two controls without bitmaps, roughly as they draw themselves: the plot and the text field.
void drawLiveParts(cairo_t* cr) {
    const Box& d = kDisplayBox;
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_rectangle(cr, d.left, d.top, d.width(), d.height());
    cairo_fill(cr);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_line_width(cr, 1);
    cairo_set_source_rgb(cr, 1.0, 0.2, 0.2);
    double bottom = d.bottom - 1.5;
    cairo_move_to(cr, d.left + 0.5, bottom - 100 * 0.8);
    for (int i = 1; i <= 60; ++i) {
        cairo_line_to(cr, d.left + i + 0.5, bottom - 100 * (0.35 + 0.45 * std::pow(0.94, i)));
    }
    cairo_line_to(cr, d.right - 0.5, bottom - 100 * 0.35 - 0.45 * 2.4);
    cairo_stroke(cr);
    const Box& e = kEndEntryBox;
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_rectangle(cr, e.left, e.top, e.width(), e.height());
    cairo_fill(cr);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
    cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL,
                           CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 12);
    cairo_text_extents_t ext;
    cairo_text_extents(cr, "0.3500", &ext);
    cairo_set_source_rgb(cr, 1, 0, 0);
    cairo_move_to(cr, e.centreX() - ext.x_advance / 2, e.bottom - 5);
    cairo_show_text(cr, "0.3500");
}

bool savePng(const Image& image, const std::string& path, int scale) {
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, image.width * scale, image.height * scale);
    unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < image.height * scale; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + y * stride);
        for (int x = 0; x < image.width * scale; ++x) row[x] = image.at(x / scale, y / scale);
    }
    cairo_surface_mark_dirty(surface);
    bool ok = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return ok;
}

Image withLiveParts(const Image& sheet) {
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, sheet.width, sheet.height);
    unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < sheet.height; ++y) {
        for (int x = 0; x < sheet.width; ++x) {
            reinterpret_cast<std::uint32_t*>(data + y * stride)[x] = sheet.at(x, y);
        }
    }
    cairo_surface_mark_dirty(surface);
    cairo_t* cr = cairo_create(surface);
    drawLiveParts(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    Image out(sheet.width, sheet.height);
    for (int y = 0; y < sheet.height; ++y) {
        for (int x = 0; x < sheet.width; ++x) {
            out.set(x, y, reinterpret_cast<std::uint32_t*>(data + y * stride)[x] & 0xFFFFFF);
        }
    }
    cairo_surface_destroy(surface);
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s BITMAP_DIR OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    std::string in = argv[1], out = argv[2];
    Bitmaps bmp;
    for (const BitmapSize& entry : kBitmapSizes) {
        std::string path = in + "/bmp" + std::to_string(entry.id) + ".bmp";
        auto bytes = readFile(path);
        auto image = bytes ? decodeBmp(*bytes) : std::nullopt;
        if (!image) {
            std::fprintf(stderr, "brindlet-contact-sheet: cannot read %s\n", path.c_str());
            return 1;
        }
        bmp[entry.id] = *image;
    }
    for (bool active : {false, true}) {
        Image sheet = withLiveParts(compose(bmp, active));
        std::string name = out + (active ? "/contact-sheet-pressed" : "/contact-sheet-released");
        if (!savePng(sheet, name + ".png", 1) || !savePng(sheet, name + "-2x.png", 2)) {
            std::fprintf(stderr, "brindlet-contact-sheet: cannot write %s\n", name.c_str());
            return 1;
        }
        // Close-ups at four times the size, for checking single pixels.
        const struct {
            const char* name;
            Box area;
        } details[] = {{"title", {0, 0, 150, 110}},
                       {"pitch", {140, 0, 380, 180}},
                       {"lower-left", {0, 170, 232, 316}},
                       {"lower-right", {232, 170, 465, 316}},
                       {"presets", {0, 310, 465, 360}}};
        for (const auto& d : details) {
            Image part = sheet.crop(d.area.left, d.area.top, d.area.width(), d.area.height());
            if (!savePng(part, name + "-" + d.name + "-4x.png", 4)) return 1;
        }
        std::printf("brindlet-contact-sheet: wrote %s.png, %s-2x.png and close-ups\n", name.c_str(),
                    name.c_str());
    }
    return 0;
}
