// Panel drawing: a vertical graphite gradient brushed along x, then print and bezels on top.
#include "tools/artwork/Background.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "tools/artwork/Painter.h"
#include "tools/artwork/PanelLayout.h"
#include "tools/artwork/SliderArt.h"

namespace brindlet::artwork {
namespace {

// A fixed-seed generator so every run writes the same bytes.
class Noise {
public:
    double next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return (state_ & 0xFFFFFF) / double(0xFFFFFF) * 2.0 - 1.0;
    }

private:
    std::uint32_t state_ = 0x9E3779B9u;
};

std::uint8_t channel(double v) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

// Brushing: each row gets its own slight offset, and streaks are noise smeared along x.
Image brushedGraphite() {
    Image image(kPanelWidth, kPanelHeight);
    Noise noise;
    std::vector<double> row(kPanelWidth);
    constexpr int kSmear = 24;
    for (int y = 0; y < kPanelHeight; ++y) {
        double t = y / double(kPanelHeight - 1);
        double base[3] = {kPanelTop.r + (kPanelBottom.r - kPanelTop.r) * t,
                          kPanelTop.g + (kPanelBottom.g - kPanelTop.g) * t,
                          kPanelTop.b + (kPanelBottom.b - kPanelTop.b) * t};
        double rowOffset = noise.next() * 1.6;
        for (double& v : row) v = noise.next();
        for (int x = 0; x < kPanelWidth; ++x) {
            double sum = 0;
            for (int i = 0; i < kSmear; ++i) sum += row[(x + i) % kPanelWidth];
            double streak = sum / kSmear * 5.0 + noise.next() * 0.8 + rowOffset;
            // A soft sheen across the middle of the panel.
            double sheen = 4.0 * std::exp(-std::pow((x - kPanelWidth * 0.4) / 180.0, 2));
            std::uint32_t rgb = 0;
            for (double c : base) rgb = (rgb << 8) | channel(c * 255.0 + streak + sheen);
            image.set(x, y, rgb);
        }
    }
    return image;
}

// An engraved line: a dark cut with a lit lower lip.
void engraveH(cairo_t* cr, double x0, double x1, int y) {
    setColour(cr, kEngraveDark, 0.85);
    cairo_rectangle(cr, x0, y, x1 - x0, 1);
    cairo_fill(cr);
    setColour(cr, rgb(0xffffff), 0.09);
    cairo_rectangle(cr, x0, y + 1, x1 - x0, 1);
    cairo_fill(cr);
}

void engraveV(cairo_t* cr, int x, double y0, double y1) {
    setColour(cr, kEngraveDark, 0.85);
    cairo_rectangle(cr, x, y0, 1, y1 - y0);
    cairo_fill(cr);
    setColour(cr, rgb(0xffffff), 0.09);
    cairo_rectangle(cr, x + 1, y0, 1, y1 - y0);
    cairo_fill(cr);
}

// A recess around a box: shadowed top-left, lit bottom-right, `inset` pixels outside the box.
void bezel(cairo_t* cr, const Box& b, int inset, Rgb fill) {
    double x = b.left - inset, y = b.top - inset;
    double w = b.width() + 2 * inset, h = b.height() + 2 * inset;
    setColour(cr, rgb(0xffffff), 0.10);
    cairo_rectangle(cr, x, y, w + 1, h + 1);
    cairo_fill(cr);
    setColour(cr, kEngraveDark);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
    setColour(cr, fill);
    cairo_rectangle(cr, x + 1, y + 1, w - 1, h - 1);
    cairo_fill(cr);
}

TextStyle caption(double size = 9.0) {
    TextStyle style;
    style.size = size;
    style.bold = true;
    style.colour = kInk;
    return style;
}

TextStyle heading() {
    TextStyle style;
    style.size = 7.5;
    style.bold = true;
    style.colour = kInkHeading;
    style.tracking = 1.2;
    return style;
}

// A section heading set into an engraved line, the line broken around the text.
void headedLine(cairo_t* cr, const char* text, double x0, double x1, int y) {
    TextStyle style = heading();
    double width = textWidth(cr, text, style);
    double mid = (x0 + x1) / 2.0;
    double gapL = std::round(mid - width / 2.0 - 4), gapR = std::round(mid + width / 2.0 + 4);
    engraveH(cr, x0, gapL, y);
    engraveH(cr, gapR, x1, y);
    drawText(cr, text, mid, y + 3.0, style, Align::kCentre);
}

// A small mark under the name: a sweep falling from its start to its end level, as in the plot.
void drawSweepMark(cairo_t* cr, double x, double y, double w, double h) {
    setColour(cr, kInkDim, 0.6);
    cairo_rectangle(cr, x, y + h, w, 1);
    cairo_rectangle(cr, x, y, 1, h);
    cairo_fill(cr);
    const double starts[3] = {0.0, 0.35, 0.6};
    const double alphas[3] = {1.0, 0.45, 0.25};
    for (int k = 2; k >= 0; --k) {
        double top = y + 2 + starts[k] * h, end = y + h - 4;
        cairo_move_to(cr, x + 2, top);
        for (int i = 1; i <= 40; ++i) {
            double t = i / 40.0;
            cairo_line_to(cr, x + 2 + (w - 2) * t, top + (end - top) * (1.0 - std::exp(-5.0 * t)));
        }
        setColour(cr, k == 0 ? kAmber : kAccentLevel, alphas[k]);
        cairo_set_line_width(cr, 1.2);
        cairo_stroke(cr);
    }
}

void drawTitle(cairo_t* cr) {
    TextStyle title;
    title.size = 22.0;
    title.bold = true;
    title.colour = kInk;
    drawText(cr, "Brindlet", 12, 30, title);
    TextStyle sub = heading();
    sub.colour = kAmber;
    drawText(cr, "ONSET PITCH SWEEP", 13, 44, sub);
    drawSweepMark(cr, 14, 53, 56, 22);
    TextStyle maker = heading();
    maker.colour = kInkDim;
    drawText(cr, "KORVANE", kPanelWidth - 9, 13, maker, Align::kRight);
    TextStyle kind = heading();
    kind.size = 6.5;
    kind.tracking = 0.8;
    kind.colour = kInkDim;
    drawText(cr, "VST PLUG-IN 1.1", kPanelWidth - 9, 23, kind, Align::kRight);
}

void drawPitchSection(cairo_t* cr) {
    // Column heads for the two vertical pitch sliders and the decay track between them.
    drawText(cr, "Start", kSliders[0].bounds.centreX(), 10, caption(), Align::kCentre);
    drawText(cr, "Decay", kSliders[2].bounds.centreX(), 10, caption(), Align::kCentre);
    drawText(cr, "End", kSliders[1].bounds.centreX(), 10, caption(), Align::kCentre);
    drawText(cr, "Shape", kSliders[3].bounds.left - 5, 166, caption(), Align::kRight);
    // The sweep plot's window.
    bezel(cr, kDisplayBox, 3, rgb(0x000000));
    drawText(cr, "Ratio", ratioButtonBox(0).centreX(), 40, caption(), Align::kCentre);
    drawText(cr, "End", kEndEntryBox.centreX(), 122, caption(), Align::kCentre);
    bezel(cr, kEndEntryBox, 2, rgb(0x000000));
}

void drawLowerSection(cairo_t* cr) {
    const int line = 176;
    headedLine(cr, "ENV", 6, 90, line);
    headedLine(cr, "GATE", 96, 134, line);
    headedLine(cr, "TRIGGER", 140, 322, line);
    headedLine(cr, "TAKE", 326, 364, line);
    headedLine(cr, "OUTPUT", 370, 459, line);
    for (const SliderPlace& s : kSliders) {
        if (s.bounds.top < line) continue;
        drawText(cr, s.name, s.bounds.centreX(), 189, caption(8.0), Align::kCentre);
    }
    drawText(cr, "Mode", kTrigModeBox.centreX(), 189, caption(8.0), Align::kCentre);
    engraveV(cr, 92, 186, 312);
    engraveV(cr, 365, 186, 312);
    // Meter windows.
    bezel(cr, kLevelMeterBox, 1, rgb(0x0a0b0c));
    bezel(cr, kRiseMeterBox, 1, rgb(0x0a0b0c));
    bezel(cr, kTrigModeBox, 1, rgb(0x111214));
}

void drawPresetRow(cairo_t* cr) {
    engraveH(cr, 6, 459, 315);
    TextStyle style = heading();
    drawText(cr, "FACTORY", 42, 333, style, Align::kCentre);
    drawText(cr, "PRESETS", 42, 344, style, Align::kCentre);
}

}  // namespace

Image drawBackground() {
    Image base = brushedGraphite();
    Surface s(kPanelWidth, kPanelHeight);
    cairo_t* cr = s.cr();
    // A dark hairline round the edge keeps the panel from bleeding into the host's window.
    setColour(cr, kEngraveDark);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, 0.5, 0.5, kPanelWidth - 1, kPanelHeight - 1);
    cairo_stroke(cr);
    drawTitle(cr);
    drawPitchSection(cr);
    drawLowerSection(cr);
    drawPresetRow(cr);
    for (const SliderPlace& slider : kSliders) drawTrack(cr, slider);
    return s.over(base);
}

}  // namespace brindlet::artwork
