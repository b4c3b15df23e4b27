// AllocationCount: how many times operator new ran on the calling thread.
// The test program replaces the global operator new to count (AllocationCount.cpp),
// so a test can tell that a call allocates nothing, or only its result; and
// can make it fail, to see what a call does when memory runs out.
#ifndef ZABRELO_TESTS_ALLOCATIONCOUNT_H
#define ZABRELO_TESTS_ALLOCATIONCOUNT_H

#include <cstddef>

namespace zabrelo_test {

/// Calls of operator new (any form) on this thread since it started.
std::size_t AllocationsOnThisThread();

/// Counts the allocations `call` makes on this thread.
template <typename Call>
std::size_t AllocationsOf(Call call) {
    const std::size_t before = AllocationsOnThisThread();
    call();
    return AllocationsOnThisThread() - before;
}

/// Makes every operator new on this thread fail (the throwing forms throw
/// std::bad_alloc, the nothrow forms return null), or work again.
void SetAllocationsFail(bool fail);

/// Runs `call` with every operator new on this thread failing. `call` must
/// not throw: a bad_alloc it lets out is a finding, not a result.
template <typename Call>
void WithFailingAllocations(Call call) noexcept {
    SetAllocationsFail(true);
    call();
    SetAllocationsFail(false);
}

}  // namespace zabrelo_test

#endif  // ZABRELO_TESTS_ALLOCATIONCOUNT_H
