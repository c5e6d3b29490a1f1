// A float that one thread may store while another reads it: each load and store is a single
// relaxed atomic access, so values cross threads whole without ordering or locks.
#pragma once

#include <atomic>

namespace brindlet {

class RelaxedFloat {
public:
    explicit RelaxedFloat(float v = 0.0f) : value(v) {}
    RelaxedFloat(const RelaxedFloat&) = delete;
    RelaxedFloat& operator=(const RelaxedFloat&) = delete;

    RelaxedFloat& operator=(float v) {
        value.store(v, std::memory_order_relaxed);
        return *this;
    }
    operator float() const { return value.load(std::memory_order_relaxed); }
    // Not one atomic step: only the owning thread edits a value this way.
    RelaxedFloat& operator+=(float d) { return *this = *this + d; }

private:
    std::atomic<float> value;
    static_assert(std::atomic<float>::is_always_lock_free);
};

}  // namespace brindlet
