// The audio thread's road to the editor's display indices, open only while an editor exists.
#pragma once

#include <cstdint>

#include "engine/EngineHost.h"

namespace brindlet {

class EditorFeed {
public:
    // Asks the host once per block whether an editor exists.
    EditorFeed(EngineHost* host) : host_(host), open_(host != nullptr && host->hasEditor()) {}

    bool open() const { return open_; }
    void send(int32_t index, float value) const {
        if (open_) host_->notifyEditor(index, value);
    }

private:
    EngineHost* host_;
    bool open_;
};

}  // namespace brindlet
