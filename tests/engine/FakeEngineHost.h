// Test doubles for the engine's host: one records editor feeds and automations, one only counts
// them (without the heap, from any thread); both forward automation as the plug-in's shell does.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <vector>

#include "engine/Engine.h"
#include "engine/EngineHost.h"

namespace brindlet::test {

struct Feed {
    int32_t index;
    float value;
    bool operator==(const Feed&) const = default;
};

class FakeEngineHost : public EngineHost {
public:
    bool editor = true;
    Engine* engine = nullptr;  // automation is applied here
    std::vector<Feed> feeds;
    std::vector<Feed> automations;

    bool hasEditor() const override { return editor; }
    void notifyEditor(int32_t index, float value) override { feeds.push_back({index, value}); }
    void automateParameter(int32_t index, float value) override {
        automations.push_back({index, value});
        if (engine != nullptr) engine->setParameter(index, value);
    }

    int count(int32_t index) const {
        return static_cast<int>(std::count_if(feeds.begin(), feeds.end(),
                                              [index](const Feed& f) { return f.index == index; }));
    }
    // Sweep feeds that mark a fired sweep (value + 99).
    int fireMarks() const {
        return static_cast<int>(std::count_if(feeds.begin(), feeds.end(), [](const Feed& f) {
            return f.index == kFeedSweep && f.value >= 50.0f;
        }));
    }
    float lastSweepFeed() const {
        auto f = std::find_if(feeds.rbegin(), feeds.rend(),
                              [](const Feed& f) { return f.index == kFeedSweep; });
        return f == feeds.rend() ? -1.0f : f->value;
    }
};

class CountingHost : public EngineHost {
public:
    Engine* engine = nullptr;
    std::atomic<int> feeds{0};
    std::atomic<int> automations{0};
    bool hasEditor() const override { return true; }
    void notifyEditor(int32_t, float) override { feeds.fetch_add(1, std::memory_order_relaxed); }
    void automateParameter(int32_t index, float value) override {
        automations.fetch_add(1, std::memory_order_relaxed);
        engine->setParameter(index, value);
    }
};

}  // namespace brindlet::test
