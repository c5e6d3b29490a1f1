// A one-line progress bar on stderr, shown only on a terminal and only once a render is slow.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>

namespace brindlet {

class ProgressBar {
public:
    // Draws on `stream` only if it is a terminal and `enabled`.
    ProgressBar(int64_t total, bool enabled, std::FILE* stream = stderr);
    ~ProgressBar() { finish(); }

    void update(int64_t done);
    // Clears the bar's line if it was ever drawn.
    void finish();

private:
    using Clock = std::chrono::steady_clock;
    static constexpr auto kDelay = std::chrono::seconds(1);
    static constexpr auto kInterval = std::chrono::milliseconds(100);

    std::FILE* stream_;
    int64_t total_;
    bool enabled_;
    bool drawn_ = false;
    Clock::time_point start_;
    Clock::time_point lastDraw_;
};

}  // namespace brindlet
