// CollationKeys: sort keys and comparison over a table. They keep no state
// of their own (their scratch is on the stack or in the caller's buffer), so
// any number of threads may call them at once on one table. A text is a
// pointer and a count of UTF-16 units, read only within that count: it needs
// no terminator. Tested by tests/collation/CollationKeysTest.cpp, against
// the element walk of CollationWalk.
#ifndef ZABRELO_COLLATIONKEYS_H
#define ZABRELO_COLLATIONKEYS_H

#include <cstddef>
#include <string>

#include "collation/CollationTable.h"

namespace zabrelo {

/// The key of the `length` units at `text`: level strings 1..level joined
/// without separators, one byte (the low 8 bits) per non-zero weight. Level
/// <= 0 gives an empty key, a level above 3 is taken as 3. Writes the key's
/// first `capacity` bytes to `out` (null when `capacity` is 0) and nothing
/// past them or past the key, and returns the whole key's length, so a call
/// with capacity 0 tells how much room the key needs.
std::size_t WriteKey(const CollationTable& table, const char16_t* text, std::size_t length, int level,
                     unsigned char* out, std::size_t capacity);

/// The same key as a string: the only allocation is the string's own.
std::string BuildKey(const CollationTable& table, const char16_t* text, std::size_t length, int level);

/// -1, 0 or 1 by the keys' unsigned byte order; equal keys give -1 when
/// `first` has fewer units than `second`, else 0. Stops at the first
/// differing key byte instead of building both keys, and allocates nothing.
int CompareStrings(const CollationTable& table, const char16_t* first, std::size_t firstLength,
                   const char16_t* second, std::size_t secondLength, int level);

}  // namespace zabrelo

#endif  // ZABRELO_COLLATIONKEYS_H
