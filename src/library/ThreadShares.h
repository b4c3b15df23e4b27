// ThreadShares: how programs that key many texts at once (the zabrelo
// command, the key sorter) split the work between threads: how many
// threads a count of texts is worth, which texts each one takes, and
// running the shares. Built with ZABRELO_NO_THREADS every share runs on
// the calling thread.
#ifndef ZABRELO_THREADSHARES_H
#define ZABRELO_THREADSHARES_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <vector>
#ifndef ZABRELO_NO_THREADS
#include <thread>
#endif

namespace zabrelo {

/// Threads worth starting for `items`: one for every `perThread` of them,
/// below which a thread costs more than it saves, at most `most`, at least 1.
inline std::size_t ThreadsFor(std::size_t items, std::size_t most, std::size_t perThread) {
    return std::max<std::size_t>(1, std::min(most, items / perThread));
}

/// The items [begin, end) that share `share` of `shares` takes of `items`:
/// the shares follow one another and differ in size by one item at most.
struct Share {
    std::size_t begin;
    std::size_t end;
};
inline Share ShareOf(std::size_t items, std::size_t share, std::size_t shares) {
    // In 64 bits: a 32-bit size_t would overflow on the product.
    const auto at = [&](std::size_t k) {
        return static_cast<std::size_t>(static_cast<std::uint64_t>(items) * k / shares);
    };
    return {at(share), at(share + 1)};
}

// Runs work(0) .. work(count - 1), share 0 on the calling thread and the
// others on threads of their own; a thread that cannot be started has its
// share run here instead. The first exception of any share is rethrown
// once every share has ended.
template <class Work>
inline void RunShares(unsigned count, const Work& work) {
#ifdef ZABRELO_NO_THREADS
    for (unsigned share = 0; share < count; ++share) work(share);
#else
    std::vector<std::exception_ptr> failures(count);
    std::vector<std::thread> workers;
    std::vector<unsigned> here;
    workers.reserve(count);
    here.reserve(count);
    const auto guarded = [&](unsigned share) {
        try {
            work(share);
        } catch (...) {
            failures[share] = std::current_exception();
        }
    };
    here.push_back(0);
    for (unsigned share = 1; share < count; ++share) {
        try {
            workers.emplace_back(guarded, share);
        } catch (const std::exception&) {
            here.push_back(share);
        }
    }
    for (const unsigned share : here) guarded(share);
    for (std::thread& worker : workers) worker.join();
    for (const std::exception_ptr& failure : failures) {
        if (failure) std::rethrow_exception(failure);
    }
#endif
}

}  // namespace zabrelo

#endif  // ZABRELO_THREADSHARES_H
