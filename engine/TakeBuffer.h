// The two take buffers: one per channel, cleared at allocation, with silent guard samples.
#pragma once

#include <cstdint>
#include <memory>

namespace brindlet {

class TakeBuffer {
public:
    // The interpolation reads up to two samples past the last one; they always hold 0.
    static constexpr uint32_t kGuardSamples = 2;

    // Replaces both buffers with `length` cleared samples each; on failure none remain.
    bool allocate(uint32_t length);
    void release();
    bool exists() const { return left_ != nullptr; }
    float* channel(int index) const { return index == 0 ? left_.get() : right_.get(); }

private:
    std::unique_ptr<float[]> left_;
    std::unique_ptr<float[]> right_;
};

}  // namespace brindlet
