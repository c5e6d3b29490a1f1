// Allocation of the take buffer without exceptions.
#include "engine/TakeBuffer.h"

#include <new>

namespace brindlet {

bool TakeBuffer::allocate(uint32_t length) {
    release();
    const std::size_t frames = static_cast<std::size_t>(length) + kGuardFrames;
    frames_.reset(new (std::nothrow) StereoSample[frames]());
    return frames_ != nullptr;
}

}  // namespace brindlet
