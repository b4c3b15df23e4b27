// NaturalKeys: keys in which every run of digits weighs by its value, so
// that "باب 2" comes before "باب 10". ASCII, Arabic-Indic and Urdu digits
// count alike, mixed in one run too. At level 1 a run is the level-1 key
// of the Urdu digit zero (so numbers stand where digits stand among the
// letters), then its count of significant digits, then those digits;
// levels 2 and 3 keep each digit's own weights, so "۲" and "2" differ
// where they differ without this order, and "02" and "2" after level 1.
// Everything between runs is keyed as the plain key keys it. Tested by
// tests/collation/NaturalKeysTest.cpp, against numbers compared by value
// and then the plain key.
#ifndef ZABRELO_COLLATION_NATURALKEYS_H
#define ZABRELO_COLLATION_NATURALKEYS_H

#include <cstddef>
#include <string>

#include "collation/CollationTable.h"
#include "collation/StopCheck.h"

namespace zabrelo {

/// The natural key of the `length` units at `text`, as WriteKey writes the
/// plain one: levels 1..level joined, the first `capacity` bytes to `out`
/// and nothing past them or past the key; returns the whole key's length.
/// Allocates nothing. With `stop`, asks it between runs about every
/// kStopStride units walked and returns kKeyStopped once it says stop.
std::size_t WriteNaturalKey(const CollationTable& table, const char16_t* text, std::size_t length, int level,
                            unsigned char* out, std::size_t capacity, const StopCheck* stop = nullptr);

/// WriteNaturalKey of a UTF-8 text read leniently (as WriteUtf8Key reads it):
/// a well-formed text gets the key of its UTF-16 form.
std::size_t WriteNaturalUtf8Key(const CollationTable& table, const char* text, std::size_t size, int level,
                                unsigned char* out, std::size_t capacity, const StopCheck* stop = nullptr);

/// The natural key as a string.
std::string BuildNaturalKey(const CollationTable& table, const char16_t* text, std::size_t length, int level);

/// -1, 0 or 1 by the natural keys' byte order alone (no tie rule). Keys that
/// do not fit on the stack are built on the heap: throws std::bad_alloc
/// when memory runs out.
int CompareNaturalKeys(const CollationTable& table, const char16_t* a, std::size_t aLength, const char16_t* b,
                       std::size_t bLength, int level);
int CompareNaturalUtf8Keys(const CollationTable& table, const char* a, std::size_t aSize, const char* b,
                           std::size_t bSize, int level);

}  // namespace zabrelo

#endif  // ZABRELO_COLLATION_NATURALKEYS_H
