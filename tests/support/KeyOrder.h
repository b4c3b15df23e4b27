// KeyOrder: the order comparison must give, as the tests, the fuzzers and
// the benchmark's check compute it: whole keys, then the tie rule. It
// states the library's own contract, so it rules out habits of other
// collators such as antisymmetry.
#ifndef ZABRELO_TESTS_KEYORDER_H
#define ZABRELO_TESTS_KEYORDER_H

#include <cstddef>
#include <string>

namespace zabrelo_test {

/// -1, 0 or 1 as the keys `keyA` and `keyB` order as unsigned bytes; equal
/// keys give -1 when the first text has fewer UTF-16 units, else 0.
inline int KeyOrder(const std::string& keyA, std::size_t unitsA, const std::string& keyB, std::size_t unitsB) {
    // std::string compares as unsigned char, which is exactly the key order.
    if (keyA != keyB) return keyA < keyB ? -1 : 1;
    return unitsA < unitsB ? -1 : 0;
}

}  // namespace zabrelo_test

#endif  // ZABRELO_TESTS_KEYORDER_H
