// Replaces the global operator new and delete of the test program with
// malloc and free plus a per-thread count. The array and nothrow forms
// reach these by their default definitions.
#include "AllocationCount.h"

#include <cstdlib>
#include <new>

namespace {
thread_local std::size_t allocations = 0;
}

namespace zabrelo_test {
std::size_t AllocationsOnThisThread() { return allocations; }
}  // namespace zabrelo_test

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept { std::free(p); }

void operator delete(void* p, std::size_t) noexcept { std::free(p); }
