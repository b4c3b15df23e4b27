// Utf8QuickOrder: the quick paths of UTF-8 comparison (Utf8Compare.cpp).
// Two texts compared in a sort are mostly close neighbours, and most pairs
// are settled by the level-1 weights of the letters where they differ,
// looked up from their two bytes (LetterOrder), or of the few elements from
// there (ElementOrder); a text that is the start of the other by the other's
// next letter and its own first letter's level-2 weight (StartOrder); the
// rest often by their first letters after the difference at every level
// (QuickOrder). Each answers 0 where it cannot tell, and the whole walk
// decides. They read letters as Utf8Letters.h does and ask the walk's rules
// of them (OwnWeightsStand, ender, SingleOtherWeights, kRewrittenByPlace,
// PairWeights, ComposedYehHamza), so they give what the walk gives. Tested by
// tests/collation/Utf8KeysTest.cpp, against the UTF-16 walk.
#ifndef ZABRELO_COLLATION_UTF8QUICKORDER_H
#define ZABRELO_COLLATION_UTF8QUICKORDER_H

#include <cstddef>

#include "collation/CollationTable.h"
#include "collation/Inlining.h"
#include "collation/KeyWalk.h"
#include "collation/Utf8Letters.h"

namespace zabrelo {

/// The level-1 byte of the Arabic letter at `p` with key entry `key` when
/// its own weights stand, kNoByte when it has none at level 1; else
/// kWalkNeeded.
ZABRELO_ALWAYS_INLINE int OwnLetterByte(const CollationTable& table, const CollationTable::KeyUnit& key,
                                          const unsigned char* p, std::size_t left) {
    if (!LetterWeightsStand(table, key, p, left)) return kWalkNeeded;
    return key.keep[0] != 0 ? key.bytes[0] : kNoByte;
}

/// The order of two texts whose first `common` bytes are the same, when
/// the level-1 bytes from where their elements begin to differ settle it
/// within a few spaces and Arabic letters; else 0.
ZABRELO_RARE int ElementOrder(const CollationTable& table, const unsigned char* a, std::size_t aSize,
                              const unsigned char* b, std::size_t bSize, std::size_t common);

/// ElementOrder's usual case, inline: the texts differ at Arabic letters,
/// neither of which is an ender, whose own level-1 weights stand and differ.
ZABRELO_ALWAYS_INLINE int LetterOrder(const CollationTable& table, const unsigned char* a, std::size_t aSize,
                                        const unsigned char* b, std::size_t bSize, std::size_t common) {
    const std::size_t cut = common - (Begins(a, common) ? 0 : 1);
    if (cut <= common && LetterAt(a + cut, aSize - cut) && LetterAt(b + cut, bSize - cut)) {
        const CollationTable::KeyUnit& x = LetterKey(table, a + cut);
        const CollationTable::KeyUnit& y = LetterKey(table, b + cut);
        if ((x.ender | y.ender) == 0) {
            const int p = OwnLetterByte(table, x, a + cut, aSize - cut);
            const int q = OwnLetterByte(table, y, b + cut, bSize - cut);
            if ((p | q) >= 0 && p != q) return p < q ? -1 : 1;
        }
    }
    return ElementOrder(table, a, aSize, b, bSize, common);
}

/// The order of a text against a longer one that starts with it (`size`
/// bytes), when the longer goes on with a unit of fixed level-1 weight (a
/// space) or an Arabic letter whose own level-1 weight stands, and the
/// shorter's first element has its own level-2 weight: the shorter's key
/// goes on with that weight where the longer's has the level-1 byte of what
/// follows. Else 0.
ZABRELO_ALWAYS_INLINE int StartOrder(const CollationTable& table, const unsigned char* shorter,
                                       const unsigned char* longer, std::size_t size, std::size_t longerSize,
                                       int level) {
    if (EndsByPlace(table, shorter, size)) return 0;
    const unsigned char* rest = longer + size;
    const std::size_t left = longerSize - size;
    int next;  // the longer's level-1 byte after the common start
    if (rest[0] < 0x80) {
        const std::int32_t* weights = SingleOtherWeights(table, rest[0]);
        if (weights == nullptr || weights[0] == 0) return 0;
        next = weights[0] & 0xFF;
    } else if (LetterAt(rest, left) && LetterKey(table, rest).ender == 0) {
        next = OwnLetterByte(table, LetterKey(table, rest), rest, left);
        if (next < 0) return 0;
    } else {
        return 0;
    }
    if (level < 2) return -1;  // the shorter's key ends
    if (!LetterAt(shorter, size)) return 0;
    const CollationTable::KeyUnit& first = LetterKey(table, shorter);
    if (first.keep[1] == 0 || !LetterWeightsStand(table, first, shorter, size)) return 0;
    const int after = first.bytes[1];
    if (after == next) return 0;
    return after < next ? -1 : 1;
}

/// The order of two texts whose first `common` bytes are the same, when
/// their level-1 bytes from the place where they begin to differ settle it,
/// read quickly, and a text whose level-1 bytes end first by its first
/// level-2 byte; else 0. `levels` is 1 to 3.
int QuickOrder(const CollationTable& table, const unsigned char* a, std::size_t aSize, const unsigned char* b,
               std::size_t bSize, std::size_t common, int levels);

}  // namespace zabrelo

#endif  // ZABRELO_COLLATION_UTF8QUICKORDER_H
