// Replaces the global operator new and delete of the test program, every
// form but the aligned ones, with malloc and free plus a per-thread count.
// All forms are replaced together, so memory taken by one form and given
// back by another (as the standard library does) meets one allocator, with
// sanitizers and valgrind too.
#include "AllocationCount.h"

#include <cstdlib>
#include <new>

namespace {

thread_local std::size_t allocations = 0;
thread_local bool failing = false;

void* Allocate(std::size_t size) noexcept {
    ++allocations;
    return failing ? nullptr : std::malloc(size == 0 ? 1 : size);
}

void* AllocateOrThrow(std::size_t size) {
    if (void* p = Allocate(size)) return p;
    throw std::bad_alloc();
}

}  // namespace

namespace zabrelo_test {
std::size_t AllocationsOnThisThread() { return allocations; }
void SetAllocationsFail(bool fail) { failing = fail; }
}  // namespace zabrelo_test

void* operator new(std::size_t size) { return AllocateOrThrow(size); }
void* operator new[](std::size_t size) { return AllocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }

void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
