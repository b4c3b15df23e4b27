// Utf8Walk: UTF-8 text read straight from its bytes for the one walk
// (KeyWalk.h), with no UTF-16 copy: its characters and their key entries,
// and the prepared units as PreparedUnits gives them. The bytes need not be
// well-formed: each byte that begins no well-formed sequence reads as
// U+FFFD, as the lenient decoder reads it, and nothing past a text's end is
// read. Keys and comparison of UTF-8 text (Utf8Keys.h) are built on it.
// Tested through them, against the UTF-16 walk.
#ifndef ZABRELO_COLLATION_UTF8WALK_H
#define ZABRELO_COLLATION_UTF8WALK_H

#include <cstddef>
#include <cstdint>

#include "collation/CollationTable.h"
#include "collation/CollationWalk.h"
#include "collation/Inlining.h"
#include "collation/KeyWalk.h"
#include "text/Utf8.h"

namespace zabrelo {

/// The character at `bytes` (`left` > 0 of them) as UTF-16 units into
/// `out`; returns the bytes it took and sets `count` to the units written.
/// ASCII and two-byte sequences, the whole Arabic block among them, inline.
ZABRELO_ALWAYS_INLINE std::size_t ReadUnits(const unsigned char* bytes, std::size_t left, char16_t (&out)[2],
                                              std::size_t& count) {
    const unsigned lead = bytes[0];
    count = 1;
    if (lead < 0x80) {
        out[0] = static_cast<char16_t>(lead);
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF && left > 1 && (bytes[1] & 0xC0) == 0x80) {
        out[0] = static_cast<char16_t>(((lead & 0x1F) << 6) | (bytes[1] & 0x3F));
        return 2;
    }
    char32_t cp;
    const std::size_t used = ReadUtf8Lenient(bytes, left, cp);
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out[0] = static_cast<char16_t>(0xD800 + (cp >> 10));
        out[1] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        count = 2;
    } else {
        out[0] = static_cast<char16_t>(cp);
    }
    return used;
}

/// The walk's prepared units of a UTF-8 text, as PreparedUnits reads them
/// from UTF-16 units: a character beyond the BMP gives its two surrogates, a
/// letter the walk rewrites its one or two units, and U+0626 reads otherwise
/// as the text's last character than inside it.
struct Utf8Units {
    const unsigned char* p;
    const unsigned char* end;
    Held pending;  // what is held back, as in PreparedUnits; 0 when nothing is

    bool AtEnd() const { return pending == 0 && p == end; }
    /// The next unit; not with an expansion held.
    char16_t Next() {
        if (pending != 0) {
            const auto u = static_cast<char16_t>(pending);
            pending = 0;
            return u;
        }
        char16_t u[2];
        std::size_t count;
        p += ReadUnits(p, static_cast<std::size_t>(end - p), u, count);
        if (count == 2) {
            pending = u[1];
            return u[0];
        }
        char16_t second = 0;
        const char16_t first = Rewrite(u[0], p == end, second);
        pending = second;
        return first;
    }
    /// The unit Next would return; 0 (never a table code point) at the end.
    char16_t Peek() const {
        if (pending != 0) return static_cast<char16_t>(pending);
        if (p == end) return 0;
        char16_t u[2];
        std::size_t count;
        const std::size_t used = ReadUnits(p, static_cast<std::size_t>(end - p), u, count);
        char16_t unused = 0;
        return Rewrite(u[0], count == 1 && p + used == end, unused);
    }
};

/// A UTF-8 text for the one walk (KeyWalk.h): a place is a pointer to
/// the first byte of a character, as the lenient decoder reads them.
struct Utf8Text {
    using Units = Utf8Units;
    using Place = const unsigned char*;

    const unsigned char* begin;
    const unsigned char* end;

    Place Start() const { return begin; }
    bool AtEnd(Place place) const { return place == end; }
    /// Bytes, which bound the prepared units: no character gives more
    /// units than it has bytes.
    std::size_t Size() const { return static_cast<std::size_t>(end - begin); }
    /// The key entry of the character at `place` (that of its first unit:
    /// a character beyond the BMP takes the walk), or the end's entry at
    /// the end.
    ZABRELO_ALWAYS_INLINE const KeyUnit& KeyAt(const CollationTable& table, Place place) const {
        if (place == end) return table.Key(CollationTable::kRangeSize);
        char16_t u[2];
        std::size_t count;
        ReadUnits(place, static_cast<std::size_t>(end - place), u, count);
        return table.Key(CollationTable::RangeIndex(u[0]));
    }
    /// Where the character after the one at `place` (not the end) begins.
    ZABRELO_ALWAYS_INLINE Place After(Place place) const {
        char16_t u[2];
        std::size_t count;
        return place + ReadUnits(place, static_cast<std::size_t>(end - place), u, count);
    }
    /// A reader of the prepared units from `place`, holding `held` back.
    Units UnitsFrom(Place place, Held held = 0) const { return Units{place, end, held}; }
    Place PlaceOf(const Units& units) const { return units.p; }
};

}  // namespace zabrelo

#endif  // ZABRELO_COLLATION_UTF8WALK_H
