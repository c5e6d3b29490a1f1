// What the engine needs from the object that embeds it: the editor's feed entry and host
// automation.
#pragma once

#include <cstdint>

namespace brindlet {

class EngineHost {
public:
    virtual ~EngineHost() = default;
    // True while an editor object exists; feeds are only sent then.
    virtual bool hasEditor() const = 0;
    // The editor's parameter-change entry; called from the audio thread for feeds.
    virtual void notifyEditor(int32_t index, float value) = 0;
    // setParameter on the embedding effect followed by the host's automate request.
    virtual void automateParameter(int32_t index, float value) = 0;
};

}  // namespace brindlet
