// UnweighedUnits: the part of a text that a weight table does not weigh.
//
// A UTF-16 code unit is unweighed when the table gives it no weight of its
// own: its level-3 key, as a text of that one unit, is empty. The bundled
// table weighs the space, U+200C and most of U+0600..U+06F9; every other
// unit is unweighed: Latin letters, digits, punctuation, the tatweel, the
// surrogates (so every character beyond the BMP), U+FFFD. A unit that a
// table lists with the weights 0,0,0 is unweighed too. Keys leave these
// units out, so texts that differ only in them ("abc" and "xyz", "کتاب" and
// "کتاب2", "2کتاب" and "کتاب2") have equal keys.
//
// What tells texts with equal keys apart is each unweighed unit and its
// place: how many units before it weigh something at the level of the keys
// (a unit whose one-unit key at that level is not empty). Two texts are the
// same by this measure when they have the same unweighed units, in the same
// order, at the same places; "12 34" and "1 234" are not, nor are "کتاب2"
// and "2کتاب". A mark weighs nothing at level 1, so there "کِتاب2" and
// "کتاب2" are the same, as "کِتاب" and "کتاب" are; at levels 2 and 3 they
// are not. The order: the units as a sequence, unit by unit by UTF-16 code
// unit value, a sequence that is the start of the other first; when those
// are the same, the places, one by one, the smaller first. Whatever tells
// texts with equal keys apart goes by this order, so they all agree:
// `zabrelo sort` orders such lines by it and `-u`, `-c` and `-m` never take
// lines for one when it tells them apart; the SQLite collations URDU1 and
// URDU2 do the same. Tested by tests/collation/UnweighedUnitsTest.cpp, by
// fuzz/UnweighedFuzzer.cpp against a plain restatement, and through its users.
#ifndef ZABRELO_COLLATION_UNWEIGHEDUNITS_H
#define ZABRELO_COLLATION_UNWEIGHEDUNITS_H

#include <bitset>
#include <cstddef>
#include <string>

namespace zabrelo {

class CollationTable;

class UnweighedUnits {
public:
    /// Asks the loaded table about each of the 65536 units at each level
    /// once (a few milliseconds); the object never changes afterwards, so
    /// any number of threads may use it at once.
    explicit UnweighedUnits(const CollationTable& table);
    /// The same, from the length of each one-unit text's key at levels 1 to
    /// 3 (`keyLength(unit, level)`), for a caller that reaches the table
    /// only through keys.
    template <typename KeyLength>
    static UnweighedUnits FromKeyLengths(KeyLength keyLength) {
        UnweighedUnits units;
        for (std::size_t u = 0; u < 65536; ++u) {
            // Levels nest: what weighs nothing at level 3 weighs nothing below.
            const auto unit = static_cast<char16_t>(u);
            if (keyLength(unit, 3) == 0) continue;
            units.weighs_[3][u] = true;
            units.weighs_[2][u] = keyLength(unit, 2) != 0;
            units.weighs_[1][u] = keyLength(unit, 1) != 0;
        }
        return units;
    }

    bool Contains(char16_t unit) const { return !weighs_[3][unit]; }
    /// How many units the table weighs. Without a table only the space weighs
    /// anything, so a table that weighs no more units gives no letter a weight.
    std::size_t WeighedCount() const { return weighs_[3].count(); }

    /// Orders two UTF-8 texts by their unweighed units and their places
    /// among the units that weigh at `level` (1 to 3; less: none, more: 3):
    /// negative, 0 (exactly when they are the same by that measure) or
    /// positive. Ill-formed bytes read as the keys read them, each as one
    /// U+FFFD (itself unweighed). Allocates nothing.
    int Compare(const char* a, std::size_t aSize, const char* b, std::size_t bSize, int level) const;
    /// Appends to `out` bytes whose unsigned byte order is Compare's order
    /// of the texts at `level`, and which are equal exactly when Compare
    /// gives 0: each unit as 01 and its two bytes (big-endian), 00, then
    /// each place as its byte count and its bytes (big-endian, no leading
    /// zero bytes).
    void AppendSortable(const char* text, std::size_t size, int level, std::string& out) const;

private:
    UnweighedUnits() = default;
    const std::bitset<65536>& WeighsAt(int level) const;

    std::bitset<65536> weighs_[4];  // by level; at level 0 nothing weighs
};

}  // namespace zabrelo

#endif  // ZABRELO_COLLATION_UNWEIGHEDUNITS_H
