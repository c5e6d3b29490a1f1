// Linked as an object library, so its global operator new and delete replace the standard ones.
#include "tests/support/AllocationHooks.h"

#include <cstdlib>
#include <new>

namespace brindlet::test {

std::atomic<long> allocationCount{0};
std::atomic<long> nothrowBudget{-1};

}  // namespace brindlet::test

namespace {

using brindlet::test::allocationCount;
using brindlet::test::nothrowBudget;

void* allocate(std::size_t size) {
    allocationCount.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size == 0 ? 1 : size);
}

void* allocateOrFail(std::size_t size) {
    long left = nothrowBudget.load();
    while (left >= 0) {
        if (left == 0) return nullptr;
        if (nothrowBudget.compare_exchange_weak(left, left - 1)) break;
    }
    return allocate(size);
}

}  // namespace

void* operator new(std::size_t size) {
    if (void* p = allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocateOrFail(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return allocateOrFail(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
