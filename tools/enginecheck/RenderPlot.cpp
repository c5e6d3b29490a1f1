// Cairo and FFTW drawing of a render: five stacked panels sharing one time axis.
#include "tools/enginecheck/RenderPlot.h"

#include <cairo.h>
#include <fftw3.h>

#include <algorithm>
#include <cmath>

namespace brindlet {

namespace {

constexpr int kWidth = 1600;
constexpr int kPanel = 180;
constexpr int kGap = 22;
constexpr int kPanels = 5;
constexpr int kFft = 4096;
constexpr int kHop = 256;

void label(cairo_t* cr, double y, const std::string& text) {
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
    cairo_move_to(cr, 6, y - 6);
    cairo_show_text(cr, text.c_str());
}

void frame(cairo_t* cr, double y) {
    cairo_set_source_rgb(cr, 0.97, 0.97, 0.97);
    cairo_rectangle(cr, 0, y, kWidth, kPanel);
    cairo_fill(cr);
}

// Min/max per pixel column, so every transient shows.
void waveform(cairo_t* cr, double y, const std::vector<float>& samples) {
    frame(cr, y);
    const double mid = y + kPanel / 2.0;
    cairo_set_source_rgb(cr, 0.6, 0.6, 0.6);
    cairo_move_to(cr, 0, mid);
    cairo_line_to(cr, kWidth, mid);
    cairo_stroke(cr);
    cairo_set_source_rgb(cr, 0.1, 0.3, 0.7);
    const std::size_t n = samples.size();
    for (int x = 0; x < kWidth && n > 0; ++x) {
        const std::size_t a = n * x / kWidth, b = std::max(a + 1, n * (x + 1) / kWidth);
        float lo = 0, hi = 0;
        for (std::size_t k = a; k < b && k < n; ++k)
            lo = std::min(lo, samples[k]), hi = std::max(hi, samples[k]);
        lo = std::max(lo, -1.0f), hi = std::min(hi, 1.0f);
        cairo_move_to(cr, x + 0.5, mid - hi * kPanel / 2.0);
        cairo_line_to(cr, x + 0.5, mid - lo * kPanel / 2.0 + 0.5);
    }
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
}

void rateTrace(cairo_t* cr, double y, const std::vector<RatePoint>& rates, std::size_t frames) {
    frame(cr, y);
    cairo_set_source_rgb(cr, 0.8, 0.8, 0.8);
    for (double r : {0.25, 0.5, 0.75}) {
        cairo_move_to(cr, 0, y + kPanel * (1 - r));
        cairo_line_to(cr, kWidth, y + kPanel * (1 - r));
    }
    cairo_stroke(cr);
    bool started = false;
    for (const RatePoint& p : rates) {
        const double x = static_cast<double>(p.frame) * kWidth / frames;
        const bool mark = p.value >= 50.0f;
        const double v = mark ? p.value - 99.0 : p.value;
        if (mark) {
            cairo_stroke(cr);
            cairo_set_source_rgb(cr, 0.9, 0.2, 0.1);
            cairo_move_to(cr, x, y);
            cairo_line_to(cr, x, y + 8);
            cairo_stroke(cr);
            started = false;
        }
        cairo_set_source_rgb(cr, 0.1, 0.5, 0.2);
        if (started) {
            cairo_line_to(cr, x, y + kPanel * (1 - v));
        } else {
            cairo_move_to(cr, x, y + kPanel * (1 - v));
        }
        started = true;
    }
    cairo_stroke(cr);
}

void spectrogram(cairo_t* cr, double y, const std::vector<float>& samples, float sr, float maxHz) {
    frame(cr, y);
    std::vector<float> in(kFft);
    fftwf_complex* out = fftwf_alloc_complex(kFft / 2 + 1);
    fftwf_plan plan = fftwf_plan_dft_r2c_1d(kFft, in.data(), out, FFTW_ESTIMATE);
    const int bins = std::min(kFft / 2, static_cast<int>(maxHz / sr * kFft));
    const std::size_t n = samples.size();
    for (int x = 0; x < kWidth; ++x) {
        const std::size_t centre = n * x / kWidth;
        for (int k = 0; k < kFft; ++k) {
            const long idx = static_cast<long>(centre) + k - kFft / 2;
            const double w = 0.5 - 0.5 * std::cos(2 * M_PI * k / kFft);
            in[k] = (idx >= 0 && idx < static_cast<long>(n)) ? static_cast<float>(samples[idx] * w)
                                                             : 0.0f;
        }
        fftwf_execute(plan);
        for (int py = 0; py < kPanel; ++py) {
            const int bin = bins * (kPanel - 1 - py) / kPanel;
            const double mag = std::hypot(out[bin][0], out[bin][1]) / (kFft / 4.0);
            const double db = 20 * std::log10(mag + 1e-9);
            const double shade = std::clamp((db + 80.0) / 80.0, 0.0, 1.0);
            cairo_set_source_rgb(cr, shade, shade * shade, 0.3 * (1 - shade) + 0.2 * shade);
            cairo_rectangle(cr, x, y + py, 1, 1);
            cairo_fill(cr);
        }
    }
    fftwf_destroy_plan(plan);
    fftwf_free(out);
}

}  // namespace

bool writeRenderPlot(const std::string& path, const std::string& title, const StereoSignal& input,
                     const StereoSignal& output, const std::vector<RatePoint>& rates,
                     float sampleRate, float maxHz) {
    const int height = kPanels * (kPanel + kGap) + kGap;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, height);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 13);
    const std::size_t frames = output.left.size();
    double y = kGap;
    label(cr, y, title + ": input, left");
    waveform(cr, y, input.left);
    y += kPanel + kGap;
    label(cr, y, "output, left");
    waveform(cr, y, output.left);
    y += kPanel + kGap;
    label(cr, y, "sweep rate reported to the editor, 0..1 (red: sweep fired)");
    rateTrace(cr, y, rates, frames);
    y += kPanel + kGap;
    label(cr, y, "input spectrogram, 0.." + std::to_string(static_cast<int>(maxHz)) + " Hz");
    spectrogram(cr, y, input.left, sampleRate, maxHz);
    y += kPanel + kGap;
    label(cr, y, "output spectrogram, 0.." + std::to_string(static_cast<int>(maxHz)) + " Hz");
    spectrogram(cr, y, output.left, sampleRate, maxHz);
    const bool ok = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return ok;
}

}  // namespace brindlet
