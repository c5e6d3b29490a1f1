// The sweep point queue's claim, publish and drain steps.
#include "editor/SweepPointQueue.h"

namespace brindlet {

SweepPointQueue::SweepPointQueue() {
    for (std::size_t i = 0; i < kCapacity; ++i) {
        cells[i].sequence.store(i, std::memory_order_relaxed);
        cells[i].value = 0.0f;
    }
}

bool SweepPointQueue::push(float value) {
    std::size_t position = writePosition.load(std::memory_order_relaxed);
    for (;;) {
        Cell& cell = cells[position & kMask];
        const std::size_t sequence = cell.sequence.load(std::memory_order_acquire);
        const auto difference =
            static_cast<std::ptrdiff_t>(sequence) - static_cast<std::ptrdiff_t>(position);
        if (difference == 0) {
            if (writePosition.compare_exchange_weak(position, position + 1,
                                                    std::memory_order_relaxed)) {
                cell.value = value;
                cell.sequence.store(position + 1, std::memory_order_release);
                return true;
            }
        } else if (difference < 0) {
            return false;  // full: the consumer has not freed this cell yet
        } else {
            position = writePosition.load(std::memory_order_relaxed);
        }
    }
}

bool SweepPointQueue::pop(float& value) {
    Cell& cell = cells[readPosition & kMask];
    const std::size_t sequence = cell.sequence.load(std::memory_order_acquire);
    if (sequence != readPosition + 1) return false;
    value = cell.value;
    // Hands the cell back to producers one lap later.
    cell.sequence.store(readPosition + kCapacity, std::memory_order_release);
    ++readPosition;
    return true;
}

}  // namespace brindlet
