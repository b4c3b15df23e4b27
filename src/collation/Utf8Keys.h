// Utf8Keys: keys and key order of UTF-8 text as a database holds it, which
// need not be well-formed: each byte that begins no well-formed sequence
// reads as U+FFFD (which no table weighs), as the lenient decoder reads it,
// and nothing past a text's length is read. The UTF-16 form goes on the
// stack, or for long texts into one heap block. Tested by
// tests/collation/Utf8KeysTest.cpp.
#ifndef ZABRELO_COLLATION_UTF8KEYS_H
#define ZABRELO_COLLATION_UTF8KEYS_H

#include <cstddef>

#include "collation/CollationTable.h"

namespace zabrelo {

/// What CompareUtf8Keys returns when a long text found no memory.
constexpr int kNoMemory = -2;

/// -1, 0 or 1 by the keys at `level` of two UTF-8 texts alone: no tie rule,
/// so the order is consistent (a < b exactly when b > a) and equal keys
/// give 0. Stops at the first differing key byte. Allocates nothing unless
/// a text is longer than a few kilobytes; kNoMemory when that failed.
int CompareUtf8Keys(const CollationTable& table, const char* a, std::size_t aSize, const char* b, std::size_t bSize,
                    int level);

/// WriteKey of a UTF-8 text: the whole key's length, its first `capacity`
/// bytes in `out`. Sets `*noMemory` (and returns 0) when a long text found
/// no memory for its UTF-16 form.
std::size_t WriteUtf8Key(const CollationTable& table, const char* text, std::size_t size, int level,
                         unsigned char* out, std::size_t capacity, bool* noMemory);

}  // namespace zabrelo

#endif  // ZABRELO_COLLATION_UTF8KEYS_H
