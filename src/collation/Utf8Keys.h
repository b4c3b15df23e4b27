// Utf8Keys: keys and key order of UTF-8 text as a database holds it, which
// need not be well-formed: each byte that begins no well-formed sequence
// reads as U+FFFD (which no table weighs), as the lenient decoder reads it,
// and nothing past a text's size is read. Both read the bytes themselves
// (Utf8Walk.h), so they allocate nothing and never fail, whatever the
// texts' length. Keys are in Utf8Keys.cpp, comparison in Utf8Compare.cpp
// with its quick paths in Utf8QuickOrder.h. Tested by tests/collation/Utf8KeysTest.cpp, against
// the lenient decoder followed by WriteKey and CompareKeys.
#ifndef ZABRELO_COLLATION_UTF8KEYS_H
#define ZABRELO_COLLATION_UTF8KEYS_H

#include <cstddef>

#include "collation/CollationTable.h"

namespace zabrelo {

/// -1, 0 or 1 by the keys at `level` of two UTF-8 texts alone: no tie rule,
/// so the order is consistent (a < b exactly when b > a, and equal keys
/// give 0). Level 0 or less gives 0, above 3 counts as 3. Reads both texts
/// only from where they differ, as far as the first differing key byte,
/// but for the rare text whose level-1 key is the start of the other's.
int CompareUtf8Keys(const CollationTable& table, const char* a, std::size_t aSize, const char* b, std::size_t bSize,
                    int level);

/// WriteKey of a UTF-8 text: writes the key's first `capacity` bytes to
/// `out` (which may be null when `capacity` is 0) and returns the whole
/// key's length.
std::size_t WriteUtf8Key(const CollationTable& table, const char* text, std::size_t size, int level,
                         unsigned char* out, std::size_t capacity);

}  // namespace zabrelo

#endif  // ZABRELO_COLLATION_UTF8KEYS_H
