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

/// While one lives, every operator new on this thread fails: the throwing
/// forms throw std::bad_alloc, the nothrow forms return null.
class FailingAllocations {
public:
    FailingAllocations();
    ~FailingAllocations();
    FailingAllocations(const FailingAllocations&) = delete;
    FailingAllocations& operator=(const FailingAllocations&) = delete;
};

}  // namespace zabrelo_test

#endif  // ZABRELO_TESTS_ALLOCATIONCOUNT_H
