// A bounded lock-free queue of sweep points: producers never wait, one consumer drains it.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace brindlet {

// The audio thread is the usual producer, but a host may also send sweep points through its own
// parameter calls, so pushing is safe from several threads. Each cell carries a sequence number
// (the bounded queue design of D. Vyukov): a producer claims a position with one compare-exchange
// and publishes the cell with a release store; the consumer reads a cell only after acquiring
// that store. A full queue drops the new point instead of waiting.
class SweepPointQueue {
public:
    static constexpr std::size_t kCapacity = 512;  // about five seconds of points at 10 ms

    SweepPointQueue();

    // False when the queue is full and the point was dropped.
    bool push(float value);
    // False when nothing (or nothing fully published) is waiting. Single consumer only.
    bool pop(float& value);

private:
    struct Cell {
        std::atomic<std::size_t> sequence;
        float value;
    };
    static constexpr std::size_t kMask = kCapacity - 1;
    static_assert((kCapacity & kMask) == 0, "capacity must be a power of two");
    static_assert(std::atomic<std::size_t>::is_always_lock_free);

    Cell cells[kCapacity];
    std::atomic<std::size_t> writePosition{0};
    std::size_t readPosition = 0;
};

}  // namespace brindlet
