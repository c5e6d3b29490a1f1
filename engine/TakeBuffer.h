// The take buffer: interleaved stereo frames, cleared at allocation, with silent guard frames.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/StereoSample.h"

namespace brindlet {

class TakeBuffer {
public:
    // The interpolation reads up to two frames past the last one; they always hold 0.
    static constexpr uint32_t kGuardFrames = 2;

    // Replaces the buffer with `length` cleared frames; on failure none remains.
    bool allocate(uint32_t length);
    void release() { frames_.reset(); }
    bool exists() const { return frames_ != nullptr; }
    StereoSample* frames() const { return frames_.get(); }

private:
    std::unique_ptr<StereoSample[]> frames_;
};

}  // namespace brindlet
