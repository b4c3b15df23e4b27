// CollationWalk: the hamza rewriting, the weights of units without a slot
// (FixedWeights) and one step of the walk that turns a string into
// collation elements over a table, one weight triple each (NextWeights).
// PreparedUnits rewrites the input as it reads it, so keys and comparison
// (KeyWalk.h) never build the prepared string and stop reading where they
// are decided; CollationWalk is the step-by-step form over a prepared
// string of its own, the reference of the tests.
// Nothing here changes the table. Tested by tests/collation/CollationWalkTest.cpp.
#ifndef ZABRELO_COLLATIONWALK_H
#define ZABRELO_COLLATIONWALK_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "collation/CollationTable.h"

namespace zabrelo {

/// Whether the rewriting changes `u`: only five letters do, and one range
/// test and one compare let every other unit through.
inline bool IsRewritten(char16_t u) { return static_cast<unsigned>(u) - 0x0623u <= 3u || u == u'\u06D3'; }

/// The one letter the rewriting reads by its place: U+0626 (yeh with hamza)
/// is a bare hamza inside a text but yeh and a hamza mark as its last unit.
/// So a text that ends in it does not weigh as the start of a longer text.
inline constexpr char16_t kRewrittenByPlace = u'\u0626';

/// The prepared form of one input unit: its first unit is returned, a second
/// one (a separate hamza mark) goes to `second`, which is left alone otherwise.
/// None of the units written here is itself rewritten, so rewriting a prepared
/// string again changes nothing. `last`: the unit is the last of its text.
inline char16_t Rewrite(char16_t u, bool last, char16_t& second) {
    if (!IsRewritten(u)) return u;
    switch (u) {
        case kRewrittenByPlace:
            if (!last) return u'\u0621';
            second = u'\u0654';
            return u'\u06CC';
        case u'\u06D3':
            second = u'\u0654';
            return u'\u06D2';
        case u'\u0624':
            second = u'\u0654';
            return u'\u0648';
        case u'\u0623':
            second = u'\u0654';
            return u'\u0627';
        default:  // U+0625
            second = u'\u0655';
            return u'\u0627';
    }
}

/// What a reader of prepared units holds back (its `pending`): nothing (0),
/// a unit still to read (the second of a split letter, or of a surrogate
/// pair in UTF-8), or, from kExpanding up, the rest of an expansion: the
/// index in the table's elements of the next one to give (from bit 32), how
/// many are left (bits 16 to 31, at least one) and the unit to read after
/// them, if any (bits 0 to 15: a split letter's second unit waits behind
/// the expansion of its first). One word, so the walk's reader is as small
/// as where nothing expands.
using Held = std::uint64_t;
inline constexpr Held kExpanding = 0x10000;

/// The expansion of `count` (more than one) elements from `first`, whose
/// first element is being given: the rest of it, then `after`.
inline Held Expansion(std::int32_t first, unsigned count, Held after) {
    return (static_cast<Held>(static_cast<std::uint32_t>(first) + 1u) << 32) | (Held{count - 1u} << 16) | after;
}

/// The units of the prepared string, read straight from `length` input
/// units (never past them: the input needs no terminator).
struct PreparedUnits {
    const char16_t* text;
    std::size_t index;   // next input unit
    std::size_t length;  // input units
    Held pending;        // what is held back; 0 when nothing is

    bool AtEnd() const { return pending == 0 && index >= length; }
    /// The next unit; not with an expansion held.
    char16_t Next() {
        if (pending != 0) {
            const auto u = static_cast<char16_t>(pending);
            pending = 0;
            return u;
        }
        const char16_t u = text[index++];
        char16_t second = 0;
        const char16_t first = Rewrite(u, index == length, second);
        pending = second;
        return first;
    }
    // The unit Next would return; 0 (never a table code point) at the end.
    char16_t Peek() const {
        if (pending != 0) return static_cast<char16_t>(pending);
        if (index >= length) return 0;
        char16_t unused = 0;
        return Rewrite(text[index], index + 1 == length, unused);
    }
    void Restart() {
        index = 0;
        pending = 0;
    }
};

// A space weighs (0x41, 0, 0) whatever the table says; units the table does
// not weigh add nothing. Callers tell these two apart from table weights by
// their addresses.
inline constexpr std::int32_t kSpaceWeights[3] = {0x41, 0, 0};
inline constexpr std::int32_t kNoWeights[3] = {0, 0, 0};

/// The weights of a unit that has no slot in the table: the space's fixed
/// ones, U+200C's once a data file defined it, and nothing for every other
/// unit. The one statement of this rule, for every path.
inline const std::int32_t* FixedWeights(const CollationTable& table, char16_t u) {
    if (static_cast<std::int32_t>(u) == table.SpecialCodePoint()) return table.SpecialWeights();
    return u == u' ' ? kSpaceWeights : kNoWeights;
}

/// The one element of unit `u` without a slot, when it is one element and
/// starts no pair: the space's, U+200C's, nothing, or in the full order the
/// one element of its line. Null when the walk must take it (an expansion,
/// a possible pair). What quick paths ask of ASCII characters.
inline const std::int32_t* SingleOtherWeights(const CollationTable& table, char16_t u) {
    if (u == u' ') return kSpaceWeights;
    const CollationTable::OtherUnit& other = table.Other(u);
    if (other.startsPair != 0 || other.count > 1) return nullptr;
    return other.count == 1 ? table.Elements()[other.first].weights : FixedWeights(table, u);
}

/// The next element of the expansion `units` holds: its weights; the
/// reader then holds the rest, or the unit after them.
template <class Units>
inline const std::int32_t* ExpansionWeights(const CollationTable& table, Units& units) {
    const Held held = units.pending;
    const std::int32_t* weights = table.Elements()[held >> 32].weights;
    units.pending = (held >> 16 & 0xFFFF) > 1 ? held + (Held{1} << 32) - (Held{1} << 16) : held & 0xFFFF;
    return weights;
}

/// What OtherWeights gives: the element's weights and the reader moved on.
template <class Units>
struct OtherStep {
    const std::int32_t* weights;
    Units units;
};

/// The weights of the element at `c` (just read; not a space), which no
/// slot of the block holds: a pair starting outside the block, the first of
/// its elements (the rest are held in the reader), or FixedWeights. Out of
/// line, and the reader passed and returned by value: the walk's own reader
/// never has its address taken, so it stays in registers.
template <class Units>
ZABRELO_RARE OtherStep<Units> OtherWeights(const CollationTable& table, char16_t c, Units units) {
    const CollationTable::OtherUnit& other = table.Other(c);
    if (other.startsPair != 0) {
        if (const std::int32_t* pair = table.PairWeights(c, units.Peek())) {
            units.Next();
            return {pair, units};
        }
    }
    if (other.count == 0) return {FixedWeights(table, c), units};
    if (other.count > 1) units.pending = Expansion(other.first, other.count, units.pending);
    return {table.Elements()[other.first].weights, units};
}

/// The weights of the next collation element of `units`, which moves past
/// its one or two units: the next of an expansion under way, else the pair
/// it starts with the next unit, else its own entry 0, else (OtherWeights)
/// what the table gives a unit without a slot. Must not be called at the
/// end. `units` is a PreparedUnits, or anything else that reads prepared
/// units as it does (Next, and Peek giving 0 at the end, and `pending`).
template <class Units>
inline const std::int32_t* NextWeights(const CollationTable& table, Units& units) {
    if (ZABRELO_UNLIKELY(units.pending >= kExpanding)) return ExpansionWeights(table, units);
    const char16_t c = units.Next();
    const unsigned offset = static_cast<unsigned>(c) - static_cast<unsigned>(CollationTable::kRangeFirst);
    if (offset < static_cast<unsigned>(CollationTable::kRangeSize)) {
        const CollationTable::OwnEntry& own = table.Own(offset);
        if (own.slot >= 0) {
            const char16_t next = units.Peek();
            if (const std::int32_t* pair = table.PairWeights(c, next)) {
                units.Next();
                // The full order reads ي or ی and a hamza mark as ئ.
                if (ZABRELO_UNLIKELY(next == u'\u0654')) {
                    if (const std::int32_t* composed = table.ComposedYehHamza(c, units.AtEnd())) return composed;
                }
                return pair;
            }
            return own.weights;
        }
    }
    if (c == u' ') return kSpaceWeights;
    const OtherStep<Units> step = OtherWeights(table, c, units);
    units = step.units;
    return step.weights;
}

/// One walk over one prepared string, element by element. Holds the walk's
/// state, so one object serves one walk at a time; the table must outlive it.
class CollationWalk {
public:
    explicit CollationWalk(const CollationTable& table) : table_(&table), cursor_(0), length_(0) {}

    /// Rewrites the hamza-bearing letters into the prepared string and
    /// starts a walk over it.
    void PrepareInput(const std::u16string& input);
    /// Writes the next element's weights (the first `levels` of them, or all
    /// three for spaces, ignorables and the end) and returns false; returns
    /// true with zero weights once the walk has passed the end.
    bool NextElement(std::int32_t* weights, int levels);

private:
    const CollationTable* table_;
    std::u16string prepared_;
    PreparedUnits units_{nullptr, 0, 0, 0};
    std::int32_t cursor_;
    std::int32_t length_;
};

}  // namespace zabrelo

#endif  // ZABRELO_COLLATIONWALK_H
