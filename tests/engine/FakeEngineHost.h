// Test double for the engine's host: records editor feeds and automations, forwards automation.
#pragma once

#include <algorithm>
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
    Engine* engine = nullptr;  // automation is applied here, as the plug-in's shell does
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
};

}  // namespace brindlet::test
