// A single value shared between threads: lock-free, relaxed order, one store per write.
#pragma once

#include <atomic>

namespace brindlet {

template <class T>
class RelaxedAtomic {
public:
    static_assert(std::atomic<T>::is_always_lock_free, "shared engine values must be lock-free");

    constexpr RelaxedAtomic(T value = T()) : value_(value) {}
    RelaxedAtomic(const RelaxedAtomic&) = delete;
    RelaxedAtomic& operator=(const RelaxedAtomic&) = delete;

    T load() const { return value_.load(std::memory_order_relaxed); }
    void store(T value) { value_.store(value, std::memory_order_relaxed); }
    T exchange(T value) { return value_.exchange(value, std::memory_order_relaxed); }
    // One attempt, no loop: a newer value stored by another thread wins over `desired`.
    bool replaceIfUnchanged(T expected, T desired) {
        return value_.compare_exchange_strong(expected, desired, std::memory_order_relaxed);
    }

private:
    std::atomic<T> value_;
};

}  // namespace brindlet
