// Utf8Letters: Arabic letters read straight from their two UTF-8 bytes, and
// the walk's rules asked of them there, for the quick paths of UTF-8
// comparison (Utf8QuickOrder.h). Every letter of U+0600..U+06FF is a
// two-byte sequence with lead byte 0xD8 to 0xDB, so its key entry comes
// from its bits with no decoding and no range test.
#ifndef ZABRELO_COLLATION_UTF8LETTERS_H
#define ZABRELO_COLLATION_UTF8LETTERS_H

#include <cstddef>

#include "collation/CollationTable.h"
#include "collation/CollationWalk.h"
#include "collation/Inlining.h"

namespace zabrelo {

/// The unit of the two-byte UTF-8 sequence at `p`.
inline char16_t UnitAt(const unsigned char* p) {
    return static_cast<char16_t>(((p[0] & 0x1Fu) << 6) | (p[1] & 0x3Fu));
}

/// Whether the `left` bytes at `p` begin with an Arabic letter: a two-byte
/// sequence whose unit lies in U+0600..U+06FF.
ZABRELO_ALWAYS_INLINE bool LetterAt(const unsigned char* p, std::size_t left) {
    return left >= 2 && p[0] - 0xD8u <= 3u && (p[1] & 0xC0) == 0x80;
}

/// The key entry of the two bytes at `p`, taken from their bits with no
/// range test: a letter's (LetterAt) own entry, or for any other two bytes
/// some entry of the table.
ZABRELO_ALWAYS_INLINE const CollationTable::KeyUnit& LetterKey(const CollationTable& table, const unsigned char* p) {
    return table.BlockKey(((p[0] & 0x03u) << 6) | (p[1] & 0x3Fu));
}

/// Whether `bytes[i]` begins a character of its text: any byte but a
/// continuation byte does, whatever comes before it, since no well-formed
/// sequence holds one after its first byte.
inline bool Begins(const unsigned char* bytes, std::size_t i) { return (bytes[i] & 0xC0) != 0x80; }

/// Whether the character at `bytes[i]` (which begins one) is an ender
/// (KeyUnit::ender). Only Arabic letters may, and they are all two-byte
/// sequences.
inline bool EnderAt(const CollationTable& table, const unsigned char* bytes, std::size_t size, std::size_t i) {
    return LetterAt(bytes + i, size - i) && LetterKey(table, bytes + i).ender != 0;
}

/// OwnWeightsStand for the Arabic letter at `p` (`left` bytes on), whose
/// entry is `key`. The next two bytes' entry is read whatever they are:
/// when they are no letter, an ender there only sends the caller the
/// longer way, and there is no branch on what follows the letter, which no
/// predictor could learn.
ZABRELO_ALWAYS_INLINE bool LetterWeightsStand(const CollationTable& table, const CollationTable::KeyUnit& key,
                                                const unsigned char* p, std::size_t left) {
    const CollationTable::KeyUnit& next = left >= 4 ? LetterKey(table, p + 2) : table.Key(CollationTable::kRangeSize);
    return CollationTable::OwnWeightsStand(key, next);
}

/// Whether a text of `size` bytes ends in a letter the walk weighs by its
/// place, which the text then weighs otherwise than a longer text that
/// starts with it: kRewrittenByPlace, and in the full order ي or ی with a
/// hamza mark (ComposedYehHamza).
inline bool EndsByPlace(const CollationTable& table, const unsigned char* text, std::size_t size) {
    if (size < 2 || !LetterAt(text + size - 2, 2)) return false;
    const char16_t last = UnitAt(text + size - 2);
    if (last == kRewrittenByPlace) return true;
    return last == u'\u0654' && size >= 4 && LetterAt(text + size - 4, 2) &&
           table.ComposedYehHamza(UnitAt(text + size - 4), true) != nullptr;
}

}  // namespace zabrelo

#endif  // ZABRELO_COLLATION_UTF8LETTERS_H
