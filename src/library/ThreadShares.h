// ThreadShares: how programs that key many texts at once (the zabrelo
// command, the Python package) split the work between threads: how many
// threads a count of texts is worth, and which texts each one takes.
#ifndef ZABRELO_THREADSHARES_H
#define ZABRELO_THREADSHARES_H

#include <algorithm>
#include <cstddef>
#include <cstdint>

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

}  // namespace zabrelo

#endif  // ZABRELO_THREADSHARES_H
