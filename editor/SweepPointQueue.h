// A bounded lock-free hand-over of 32-bit entries where the newest always win: writers never wait.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace brindlet {

// The audio thread writes, the editor's thread reads. When the reader falls behind by more than
// the capacity, the oldest entries give way. Each cell is one 64-bit atomic word holding the
// entry and a stamp of the write position that filled it, so the reader can tell a cell that is
// not published yet from one that a later lap has already overwritten, and skips ahead by the
// write counter; nobody ever waits for anybody. A host pushing from a second thread loses at
// worst some entries, never memory safety.
class SweepPointQueue {
public:
    static constexpr std::size_t kCapacity = 512;  // about five seconds of points at 10 ms

    SweepPointQueue();

    // Any thread, wait-free.
    void push(uint32_t entry);
    // Reader only: the oldest entry still held, and how many older ones were overwritten unread
    // since the last entry it returned. False when nothing published is waiting.
    bool pop(uint32_t& entry, uint64_t& lost);

private:
    static constexpr std::size_t kMask = kCapacity - 1;
    static_assert((kCapacity & kMask) == 0, "capacity must be a power of two");
    static_assert(std::atomic<uint64_t>::is_always_lock_free);

    std::atomic<uint64_t> cells[kCapacity];
    std::atomic<uint64_t> writePosition{0};
    uint64_t readPosition = 0;
    uint64_t lostUnreported = 0;
};

}  // namespace brindlet
