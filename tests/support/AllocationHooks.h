// Replacement global allocation functions for tests that count allocations or make them fail.
#pragma once

#include <atomic>

namespace brindlet::test {

// Every operator new of the program (throwing and nothrow forms) adds one.
extern std::atomic<long> allocationCount;
// Nothrow allocations that still succeed before each further one returns null; -1: all succeed.
extern std::atomic<long> nothrowBudget;

}  // namespace brindlet::test
