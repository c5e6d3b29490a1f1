// Allocation of the take buffers without exceptions.
#include "engine/TakeBuffer.h"

#include <new>

namespace brindlet {

bool TakeBuffer::allocate(uint32_t length) {
    release();
    const std::size_t samples = static_cast<std::size_t>(length) + kGuardSamples;
    left_.reset(new (std::nothrow) float[samples]());
    right_.reset(new (std::nothrow) float[samples]());
    if (left_ == nullptr || right_ == nullptr) {
        release();
        return false;
    }
    return true;
}

void TakeBuffer::release() {
    left_.reset();
    right_.reset();
}

}  // namespace brindlet
