// The sweep point hand-over: stamped cells, publishing, and the reader's skip past lost entries.
#include "editor/SweepPointQueue.h"

namespace brindlet {

namespace {
// The stamp is the write position plus one, so the zeroed cells of a new queue match nothing.
uint32_t stampOf(uint64_t position) {
    return static_cast<uint32_t>(position + 1);
}
}  // namespace

SweepPointQueue::SweepPointQueue() {
    for (auto& cell : cells) cell.store(0, std::memory_order_relaxed);
}

void SweepPointQueue::push(uint32_t entry) {
    const uint64_t position = writePosition.fetch_add(1, std::memory_order_relaxed);
    const uint64_t word = (uint64_t{stampOf(position)} << 32) | entry;
    cells[position & kMask].store(word, std::memory_order_release);
}

bool SweepPointQueue::pop(uint32_t& entry, uint64_t& lost) {
    for (;;) {
        const uint64_t written = writePosition.load(std::memory_order_relaxed);
        if (written - readPosition > kCapacity) {
            lostUnreported += written - kCapacity - readPosition;
            readPosition = written - kCapacity;
        }
        if (readPosition == written) return false;
        const uint64_t word = cells[readPosition & kMask].load(std::memory_order_acquire);
        const uint32_t stamp = static_cast<uint32_t>(word >> 32);
        const uint32_t expected = stampOf(readPosition);
        if (stamp == expected) {
            entry = static_cast<uint32_t>(word);
            ++readPosition;
            lost = lostUnreported;
            lostUnreported = 0;
            return true;
        }
        // An older stamp: claimed but not yet written; it shows at the next call.
        if (static_cast<int32_t>(stamp - expected) < 0) return false;
        // A newer stamp: a later lap overwrote it while we got here; the write counter has moved
        // past it by now, so the next pass skips ahead.
    }
}

}  // namespace brindlet
