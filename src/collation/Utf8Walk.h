// Utf8Walk: the element walk over UTF-8 text read straight from its bytes,
// with no UTF-16 copy: the prepared units as PreparedUnits gives them, and
// one level's key bytes element by element. The bytes need not be
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

/// Whether the walk may join `u` to the unit before it: `u` ends a pair, or
/// is rewritten into what may. A text cannot be cut in two before it.
inline bool JoinsBack(const CollationTable& table, char16_t u) {
    return table.Key(CollationTable::RangeIndex(u)).ender != 0;
}

/// The walk's prepared units of a UTF-8 text, as PreparedUnits reads them
/// from UTF-16 units: a character beyond the BMP gives its two surrogates, a
/// letter the walk rewrites its one or two units, and U+0626 reads otherwise
/// as the text's last character than inside it.
struct Utf8Units {
    const unsigned char* p;
    const unsigned char* end;
    char16_t pending;  // the second unit of the character read last; 0 when there is none

    bool AtEnd() const { return pending == 0 && p == end; }
    char16_t Next() {
        if (pending != 0) {
            const char16_t u = pending;
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
        return Rewrite(u[0], p == end, pending);
    }
    /// The unit Next would return; 0 (never a table code point) at the end.
    char16_t Peek() const {
        if (pending != 0) return pending;
        if (p == end) return 0;
        char16_t u[2];
        std::size_t count;
        const std::size_t used = ReadUnits(p, static_cast<std::size_t>(end - p), u, count);
        char16_t unused = 0;
        return Rewrite(u[0], count == 1 && p + used == end, unused);
    }
};

/// What LevelBytes::Next returns once the level's key bytes have ended.
constexpr int kLevelEnd = -1;

/// One level's key bytes of a UTF-8 text, element by element, from its start
/// or from any place where the walk can cut it (a unit the walk joins to the
/// one before it does not start there). Most units are settled by their own
/// weights, as keys read them; the rest (letters the walk rewrites, letters
/// that pair with the next, units outside the table's range) take the walk's
/// own step.
class LevelBytes {
public:
    /// `level` is 0-based.
    LevelBytes(const CollationTable& table, const unsigned char* bytes, std::size_t size, int level)
        : table_(&table), units_{bytes, bytes + size, 0}, level_(level) {}

    /// The next key byte, or kLevelEnd, again and again, after the last.
    ZABRELO_ALWAYS_INLINE int Next() {
        for (;;) {
            if (units_.pending == 0) {
                if (units_.p == units_.end) return kLevelEnd;
                char16_t u[2];
                std::size_t count;
                const std::size_t used = ReadUnits(units_.p, static_cast<std::size_t>(units_.end - units_.p), u, count);
                const unsigned index = CollationTable::RangeIndex(u[0]);
                if (index == static_cast<unsigned>(CollationTable::kRangeSize)) {
                    // As the walk weighs units outside the range; a
                    // character beyond the BMP is two that weigh nothing.
                    units_.p += used;
                    std::int32_t w = 0;
                    if (u[0] == u' ') {
                        w = kSpaceWeights[level_];
                    } else if (count == 1 && static_cast<std::int32_t>(u[0]) == table_->SpecialCodePoint()) {
                        w = table_->SpecialWeights()[level_];
                    }
                    if (w != 0) return w & 0xFF;
                    continue;
                }
                const CollationTable::KeyUnit& key = table_->Key(index);
                if (key.route == 0 || (key.route == CollationTable::kWalkBeforeEnder && !EnderAfter(used))) {
                    units_.p += used;
                    if (key.keep[level_] != 0) return key.bytes[level_];
                    continue;
                }
            } else if (units_.AtEnd()) {
                return kLevelEnd;
            }
            const std::int32_t w = NextWeights(*table_, units_)[level_];
            if (w != 0) return w & 0xFF;
        }
    }

private:
    // Whether the unit `used` bytes on may end a pair; the end ends none.
    bool EnderAfter(std::size_t used) const {
        const unsigned char* next = units_.p + used;
        if (next == units_.end) return false;
        char16_t v[2];
        std::size_t count;
        ReadUnits(next, static_cast<std::size_t>(units_.end - next), v, count);
        return JoinsBack(*table_, v[0]);
    }

    const CollationTable* table_;
    Utf8Units units_;
    int level_;
};

}  // namespace zabrelo

#endif  // ZABRELO_COLLATION_UTF8WALK_H
