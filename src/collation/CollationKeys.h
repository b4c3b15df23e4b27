// CollationKeys: sort keys and comparison over a table. They keep no state
// of their own (their scratch is on the stack or in the caller's buffer), so
// any number of threads may call them at once on one table. A text is a
// pointer and a count of UTF-16 units, read only within that count: it needs
// no terminator. Built on the one walk of KeyWalk.h. Tested by
// tests/collation/CollationKeysTest.cpp, against the element walk of
// CollationWalk.
#ifndef ZABRELO_COLLATIONKEYS_H
#define ZABRELO_COLLATIONKEYS_H

#include <cstddef>
#include <string>

#include "collation/CollationTable.h"

namespace zabrelo {

/// The key of the `length` units at `text`: level strings 1..level joined
/// without separators, one byte (the low 8 bits) per non-zero weight. Level
/// <= 0 gives an empty key, a level above 3 is taken as 3. Writes the key's
/// first `capacity` bytes to `out` (which may be null when `capacity` is 0)
/// and nothing past them or past the key, and returns the whole key's
/// length, so a call with capacity 0 tells how much room the key needs.
std::size_t WriteKey(const CollationTable& table, const char16_t* text, std::size_t length, int level,
                     unsigned char* out, std::size_t capacity);

/// The same key as a string: the only allocation is the string's own.
std::string BuildKey(const CollationTable& table, const char16_t* text, std::size_t length, int level);

/// -1, 0 or 1 by the two keys' unsigned byte order alone (a key that ends
/// first is smaller). Stops at the first differing key byte instead of
/// building both keys, and allocates nothing. `from` 1 says that both texts'
/// first units give the same FirstKeyByte, so the keys are compared from
/// the second unit's bytes of the first level on.
int CompareKeys(const CollationTable& table, const char16_t* first, std::size_t firstLength,
                const char16_t* second, std::size_t secondLength, int level, std::size_t from = 0);

/// The first byte of a key when the text's first unit settles it on its
/// own, or -1.
inline int FirstKeyByte(const CollationTable& table, const char16_t* text, std::size_t length) {
    if (length == 0) return -1;
    const CollationTable::KeyUnit& key = table.Key(CollationTable::RangeIndex(text[0]));
    const CollationTable::KeyUnit& next =
        table.Key(length > 1 ? CollationTable::RangeIndex(text[1]) : CollationTable::kRangeSize);
    if (!CollationTable::OwnWeightsStand(key, next) || key.keep[0] == 0) return -1;
    return key.bytes[0];
}

/// -1, 0 or 1 by the keys' unsigned byte order; equal keys give -1 when
/// `first` has fewer units than `second`, else 0. Allocates nothing.
inline int CompareStrings(const CollationTable& table, const char16_t* first, std::size_t firstLength,
                          const char16_t* second, std::size_t secondLength, int level) {
    int result = 0;
    if (level > 0) {
        // Most pairs differ in their first key byte, which is nearly always
        // the first unit's own primary: those are settled here, inline in
        // the caller, without setting up the walk over both strings.
        const int x = FirstKeyByte(table, first, firstLength);
        const int y = FirstKeyByte(table, second, secondLength);
        if (x >= 0 && y >= 0 && x != y) return (x > y) - (x < y);  // no branch on the order: it is a coin toss
        // Where the first bytes are the same, the walk starts after them.
        result = CompareKeys(table, first, firstLength, second, secondLength, level, x >= 0 && x == y ? 1 : 0);
    }
    // Callers rely on this asymmetry: equal keys put the shorter input first,
    // but a longer first string stays equal rather than becoming +1.
    if (result == 0 && firstLength < secondLength) result = -1;
    return result;
}

}  // namespace zabrelo

#endif  // ZABRELO_COLLATIONKEYS_H
