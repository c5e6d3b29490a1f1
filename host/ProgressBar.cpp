// ProgressBar: carriage-return redraws, at most ten a second.
#include "host/ProgressBar.h"

#include <unistd.h>

#include <algorithm>
#include <string>

namespace brindlet {

ProgressBar::ProgressBar(int64_t total, bool enabled, std::FILE* stream)
    : stream_(stream),
      total_(std::max<int64_t>(total, 1)),
      enabled_(enabled && isatty(fileno(stream)) != 0),
      start_(Clock::now()),
      lastDraw_(start_) {}

void ProgressBar::update(int64_t done) {
    if (!enabled_) return;
    auto now = Clock::now();
    // Renders that finish within a second never show a bar.
    if (now - start_ < kDelay || (drawn_ && now - lastDraw_ < kInterval)) return;
    lastDraw_ = now;
    constexpr int kWidth = 40;
    double fraction = std::clamp(static_cast<double>(done) / static_cast<double>(total_), 0.0, 1.0);
    int filled = static_cast<int>(fraction * kWidth);
    std::string bar(static_cast<size_t>(filled), '#');
    bar.append(static_cast<size_t>(kWidth - filled), '-');
    std::fprintf(stream_, "\rrendering [%s] %3d%%", bar.c_str(), static_cast<int>(fraction * 100));
    std::fflush(stream_);
    drawn_ = true;
}

void ProgressBar::finish() {
    if (!drawn_) return;
    std::fprintf(stream_, "\r%60s\r", "");
    std::fflush(stream_);
    drawn_ = false;
}

}  // namespace brindlet
