// PlotWriter on cairo: three panels on one time axis, markers drawn through all of them.
#include "host/PlotWriter.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "host/AudioFile.h"
#include "host/Spectrogram.h"

namespace brindlet {

namespace {

constexpr int kWidth = 1400;
constexpr int kHeight = 1000;
constexpr double kLeft = 80, kRight = kWidth - 110;
constexpr double kPlotWidth = kRight - kLeft;
constexpr double kDynamicRange = 90.0;  // dB shown below the loudest cell
constexpr double kLowestFrequency = 40.0;

struct Panel {
    double top, height;
    double bottom() const { return top + height; }
};

constexpr Panel kInputPanel{70, 180};
constexpr Panel kOutputPanel{290, 180};
constexpr Panel kSpectrumPanel{510, 400};

struct Rgb {
    double r, g, b;
};

// A dark-to-bright map (black, purple, red, orange, pale yellow): loudness reads as brightness.
Rgb heat(double t) {
    static constexpr std::array<Rgb, 5> kStops{{{0.0, 0.0, 0.02},
                                                {0.34, 0.06, 0.43},
                                                {0.74, 0.22, 0.33},
                                                {0.98, 0.56, 0.04},
                                                {0.99, 1.0, 0.64}}};
    t = std::clamp(t, 0.0, 1.0) * (kStops.size() - 1);
    size_t i = std::min(static_cast<size_t>(t), kStops.size() - 2);
    double f = t - static_cast<double>(i);
    const Rgb& a = kStops[i];
    const Rgb& b = kStops[i + 1];
    return {a.r + (b.r - a.r) * f, a.g + (b.g - a.g) * f, a.b + (b.b - a.b) * f};
}

double niceStep(double span, int maxTicks) {
    for (double decade = 0.001; decade < 1e6; decade *= 10.0)
        for (double m : {1.0, 2.0, 5.0})
            if (span / (m * decade) <= maxTicks) return m * decade;
    return span;
}

void text(cairo_t* cr, double x, double y, const std::string& s, double alignX = 0.0,
          double size = 12.0) {
    cairo_set_font_size(cr, size);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, s.c_str(), &extents);
    cairo_move_to(cr, x - extents.x_advance * alignX, y);
    cairo_show_text(cr, s.c_str());
}

std::string formatSeconds(double seconds, double step) {
    char buffer[32];
    int decimals = step >= 1.0 ? 0 : step >= 0.1 ? 1 : step >= 0.01 ? 2 : 3;
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, seconds);
    return buffer;
}

void timeGrid(cairo_t* cr, const Panel& panel, double duration, bool labels) {
    double step = niceStep(duration, 12);
    cairo_set_line_width(cr, 1.0);
    for (double t = 0.0; t <= duration + 1e-9; t += step) {
        double x = std::round(kLeft + t / duration * kPlotWidth) + 0.5;
        cairo_set_source_rgba(cr, 0.5, 0.5, 0.5, 0.35);
        cairo_move_to(cr, x, panel.top);
        cairo_line_to(cr, x, panel.bottom());
        cairo_stroke(cr);
        if (labels) {
            cairo_set_source_rgb(cr, 0.15, 0.15, 0.15);
            text(cr, x, panel.bottom() + 16, formatSeconds(t, step), 0.5);
        }
    }
}

void frame(cairo_t* cr, const Panel& panel, const std::string& label) {
    cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
    cairo_set_line_width(cr, 1.0);
    cairo_rectangle(cr, kLeft - 0.5, panel.top - 0.5, kPlotWidth + 1, panel.height + 1);
    cairo_stroke(cr);
    text(cr, kLeft, panel.top - 8, label, 0.0, 13.0);
}

void laneGrid(cairo_t* cr, double mid, double scale, bool lowestLane) {
    cairo_set_line_width(cr, 1.0);
    cairo_set_source_rgba(cr, 0.5, 0.5, 0.5, 0.5);
    for (double level : {-1.0, 0.0, 1.0}) {
        cairo_move_to(cr, kLeft, std::round(mid - level * scale) + 0.5);
        cairo_line_to(cr, kRight, std::round(mid - level * scale) + 0.5);
        cairo_stroke(cr);
        cairo_set_source_rgb(cr, 0.15, 0.15, 0.15);
        char value[8];
        std::snprintf(value, sizeof value, "%+.0f", level);
        // The -1 of an upper lane would sit on the +1 of the lane below.
        if (level > -1.0 || lowestLane)
            text(cr, kLeft - 8, mid - level * scale + 4, level == 0.0 ? "0" : value, 1.0);
        cairo_set_source_rgba(cr, 0.5, 0.5, 0.5, 0.5);
    }
}

void laneSignal(cairo_t* cr, const std::vector<float>& samples, const Rgb& colour, double mid,
                double scale, double totalFrames) {
    int columns = static_cast<int>(kPlotWidth);
    cairo_set_source_rgba(cr, colour.r, colour.g, colour.b, 0.85);
    for (int x = 0; x < columns; ++x) {
        auto from = static_cast<size_t>(totalFrames * x / columns);
        auto to = static_cast<size_t>(totalFrames * (x + 1) / columns);
        to = std::min(std::max(to, from + 1), samples.size());
        if (from >= to) break;
        float low = 0.0f, high = 0.0f;
        for (size_t i = from; i < to; ++i) {
            if (!std::isfinite(samples[i])) continue;
            low = std::min(low, samples[i]);
            high = std::max(high, samples[i]);
        }
        double top = mid - std::clamp(static_cast<double>(high), -1.05, 1.05) * scale;
        double bottom = mid - std::clamp(static_cast<double>(low), -1.05, 1.05) * scale;
        cairo_rectangle(cr, kLeft + x, top, 1.0, std::max(bottom - top, 1.0));
    }
    cairo_fill(cr);
}

// Each channel gets its own lane, so neither can hide the other however alike they are.
void waveform(cairo_t* cr, const Panel& panel, const std::vector<std::vector<float>>& channels,
              double totalFrames, const std::string& label) {
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_rectangle(cr, kLeft, panel.top, kPlotWidth, panel.height);
    cairo_fill(cr);
    size_t lanes = std::clamp<size_t>(channels.size(), 1, 2);
    double laneHeight = panel.height / static_cast<double>(lanes);
    static constexpr Rgb kColours[] = {{0.12, 0.40, 0.75}, {0.90, 0.45, 0.05}};
    for (size_t c = 0; c < lanes; ++c) {
        double mid = panel.top + laneHeight * (static_cast<double>(c) + 0.5);
        double scale = laneHeight / 2 / 1.05;
        laneGrid(cr, mid, scale, c + 1 == lanes);
        if (c < channels.size()) laneSignal(cr, channels[c], kColours[c], mid, scale, totalFrames);
    }
    std::string legend =
        channels.size() > 1 ? label + "   (top, blue: left; bottom, orange: right)" : label;
    frame(cr, panel, legend);
}

std::vector<float> monoMix(const std::vector<std::vector<float>>& channels) {
    if (channels.empty()) return {};
    std::vector<float> mix(channels[0].size(), 0.0f);
    for (const auto& channel : channels)
        for (size_t i = 0; i < mix.size() && i < channel.size(); ++i)
            mix[i] += channel[i] / static_cast<float>(channels.size());
    return mix;
}

double rowFrequency(double row, double height, double nyquist) {
    return kLowestFrequency * std::pow(nyquist / kLowestFrequency, 1.0 - row / height);
}

void spectrogramImage(cairo_t* cr, const Spectrogram& spectrum, double sampleRate,
                      double totalFrames, double signalFrames) {
    int width = static_cast<int>(kPlotWidth), height = static_cast<int>(kSpectrumPanel.height);
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    unsigned char* data = cairo_image_surface_get_data(image);
    int stride = cairo_image_surface_get_stride(image);
    double nyquist = sampleRate / 2;
    double binHz = sampleRate / spectrum.fftSize;
    double floor = spectrum.maxDecibels - kDynamicRange;
    int usedColumns = static_cast<int>(std::round(width * signalFrames / totalFrames));
    for (int y = 0; y < height; ++y) {
        // A row narrower than a bin reads between the two nearest bins; a wider one takes
        // the loudest bin in its band.
        double lo = rowFrequency(y + 1.0, height, nyquist) / binHz;
        double hi = rowFrequency(y, height, nyquist) / binHz;
        double centre = rowFrequency(y + 0.5, height, nyquist) / binHz;
        int first = std::clamp(static_cast<int>(std::ceil(lo)), 0, spectrum.bins - 1);
        int last = std::clamp(static_cast<int>(std::floor(hi)), 0, spectrum.bins - 1);
        int below = std::clamp(static_cast<int>(centre), 0, spectrum.bins - 2);
        auto fraction = static_cast<float>(centre - below);
        auto* row = reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
        for (int x = 0; x < width; ++x) {
            int column = usedColumns > 0 ? x * spectrum.columns / std::max(usedColumns, 1) : 0;
            float db = -200.0f;
            if (x < usedColumns && column < spectrum.columns) {
                if (last - first >= 1) {
                    for (int bin = first; bin <= last; ++bin)
                        db = std::max(db, spectrum.at(column, bin));
                } else {
                    db = spectrum.at(column, below) * (1.0f - fraction) +
                         spectrum.at(column, below + 1) * fraction;
                }
            }
            Rgb colour = heat((db - floor) / kDynamicRange);
            row[x] = (static_cast<uint32_t>(colour.r * 255) << 16) |
                     (static_cast<uint32_t>(colour.g * 255) << 8) |
                     static_cast<uint32_t>(colour.b * 255);
        }
    }
    cairo_surface_mark_dirty(image);
    cairo_set_source_surface(cr, image, kLeft, kSpectrumPanel.top);
    cairo_paint(cr);
    cairo_surface_destroy(image);
}

void frequencyAxis(cairo_t* cr, double nyquist) {
    cairo_set_line_width(cr, 1.0);
    for (double f : {50.0, 100.0, 200.0, 500.0, 1000.0, 2000.0, 5000.0, 10000.0, 20000.0}) {
        if (f >= nyquist) break;
        double y = kSpectrumPanel.top +
                   kSpectrumPanel.height * (1.0 - std::log(f / kLowestFrequency) /
                                                      std::log(nyquist / kLowestFrequency));
        cairo_set_source_rgb(cr, 0.15, 0.15, 0.15);
        cairo_move_to(cr, kLeft - 5, std::round(y) + 0.5);
        cairo_line_to(cr, kLeft, std::round(y) + 0.5);
        cairo_stroke(cr);
        char label[16];
        std::snprintf(label, sizeof label, f >= 1000 ? "%.0fk" : "%.0f", f >= 1000 ? f / 1000 : f);
        text(cr, kLeft - 8, y + 4, label, 1.0);
    }
    cairo_save(cr);
    cairo_translate(cr, 22, kSpectrumPanel.top + kSpectrumPanel.height / 2);
    cairo_rotate(cr, -M_PI / 2);
    text(cr, 0, 0, "frequency (Hz)", 0.5, 13.0);
    cairo_restore(cr);
}

void colourBar(cairo_t* cr, float maxDecibels) {
    double x = kRight + 25, width = 16;
    const Panel& p = kSpectrumPanel;
    for (int y = 0; y < static_cast<int>(p.height); ++y) {
        Rgb c = heat(1.0 - y / p.height);
        cairo_set_source_rgb(cr, c.r, c.g, c.b);
        cairo_rectangle(cr, x, p.top + y, width, 1);
        cairo_fill(cr);
    }
    cairo_set_source_rgb(cr, 0.15, 0.15, 0.15);
    for (int step = 0; step <= 3; ++step) {
        double y = p.top + p.height * step / 3.0;
        char label[16];
        std::snprintf(label, sizeof label, "%.0f dB", maxDecibels - kDynamicRange * step / 3.0);
        text(cr, x + width + 4, y + 4, label, 0.0, 11.0);
    }
}

void markers(cairo_t* cr, const std::vector<PlotMarker>& marks, double duration) {
    static constexpr double kDash[] = {5.0, 4.0};
    for (const auto& mark : marks) {
        double x = std::round(kLeft + mark.seconds / duration * kPlotWidth) + 0.5;
        if (x > kRight) continue;
        cairo_set_dash(cr, kDash, 2, 0);
        cairo_set_line_width(cr, 1.5);
        for (const Panel* p : {&kInputPanel, &kOutputPanel, &kSpectrumPanel}) {
            if (p == &kSpectrumPanel)
                cairo_set_source_rgba(cr, 0.3, 1.0, 0.9, 0.9);
            else
                cairo_set_source_rgba(cr, 0.8, 0.0, 0.3, 0.9);
            cairo_move_to(cr, x, p->top);
            cairo_line_to(cr, x, p->bottom());
            cairo_stroke(cr);
        }
        cairo_set_dash(cr, nullptr, 0, 0);
        cairo_set_source_rgb(cr, 0.8, 0.0, 0.3);
        text(cr, x + 3, kInputPanel.top + 13, mark.label, 0.0, 11.0);
    }
}

}  // namespace

bool writePlot(const std::string& path, const PlotData& data, std::string& error) {
    // A link keeps pointing at the new picture; devices and pipes are refused, not replaced.
    std::string target;
    if (!checkWritable(path, error, &target)) return false;
    size_t inFrames = data.input.empty() ? 0 : data.input[0].size();
    size_t outFrames = data.output.empty() ? 0 : data.output[0].size();
    double totalFrames = static_cast<double>(std::max<size_t>({inFrames, outFrames, 1}));
    double duration = totalFrames / data.sampleRate;

    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
    cairo_t* cr = cairo_create(surface);
    cairo_select_font_face(cr, "Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_source_rgb(cr, 0.96, 0.96, 0.95);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
    text(cr, kWidth / 2.0, 32, data.title, 0.5, 16.0);

    waveform(cr, kInputPanel, data.input, totalFrames, "input");
    timeGrid(cr, kInputPanel, duration, false);
    waveform(cr, kOutputPanel, data.output, totalFrames, "output");
    timeGrid(cr, kOutputPanel, duration, false);

    // About 90 ms windows: fine enough in frequency to show low pitches move.
    int fftSize = 1024;
    while (fftSize < data.sampleRate / 11 && fftSize < 65536) fftSize *= 2;
    Spectrogram spectrum =
        computeSpectrogram(monoMix(data.output), static_cast<int>(kPlotWidth), fftSize);
    spectrogramImage(cr, spectrum, data.sampleRate, totalFrames, static_cast<double>(outFrames));
    frame(cr, kSpectrumPanel, "output spectrogram");
    timeGrid(cr, kSpectrumPanel, duration, true);
    frequencyAxis(cr, data.sampleRate / 2.0);
    colourBar(cr, spectrum.maxDecibels);
    markers(cr, data.markers, duration);
    cairo_set_source_rgb(cr, 0.15, 0.15, 0.15);
    text(cr, kLeft + kPlotWidth / 2, kSpectrumPanel.bottom() + 40, "time (s)", 0.5, 13.0);

    cairo_destroy(cr);
    // Written beside the target under a name only this run uses and renamed, so a failed write
    // leaves no half picture and no one else's file is touched.
    std::string temp = hiddenTempPath(target);
    cairo_status_t status = cairo_surface_write_to_png(surface, temp.c_str());
    cairo_surface_destroy(surface);
    std::error_code ec;
    if (status == CAIRO_STATUS_SUCCESS) std::filesystem::rename(temp, target, ec);
    if (status != CAIRO_STATUS_SUCCESS || ec) {
        std::filesystem::remove(temp, ec);
        error =
            path + ": cannot write the plot (" +
            (status != CAIRO_STATUS_SUCCESS ? cairo_status_to_string(status) : "rename failed") +
            ")";
        return false;
    }
    return true;
}

void releasePlotResources() {
    cairo_debug_reset_static_data();
    FcFini();
}

}  // namespace brindlet
