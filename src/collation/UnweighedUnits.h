// UnweighedUnits: the part of a text that a weight table does not weigh.
//
// A UTF-16 code unit is unweighed when the table gives it no weight of its
// own: its level-3 key, as a text of that one unit, is empty. The bundled
// table weighs the space, U+200C and most of U+0600..U+06F9; every other
// unit is unweighed: Latin letters, digits, punctuation, the tatweel, the
// surrogates (so every character beyond the BMP), U+FFFD. A unit that a
// table lists with the weights 0,0,0 is unweighed too. Keys leave these
// units out, so texts that differ only in them ("abc" and "xyz", "کتاب" and
// "کتاب2") have equal keys.
//
// The unweighed units of a text are its unweighed units in text order; two
// such sequences compare unit by unit, by UTF-16 code unit value, and a
// sequence that is the start of the other comes first. Whatever tells texts
// with equal keys apart goes by this order, so they all agree: `zabrelo
// sort` orders such lines by it and `-u` never merges lines whose sequences
// differ; the SQLite collations URDU1 and URDU2 do the same. Tested by
// tests/collation/UnweighedUnitsTest.cpp and through its users.
#ifndef ZABRELO_COLLATION_UNWEIGHEDUNITS_H
#define ZABRELO_COLLATION_UNWEIGHEDUNITS_H

#include <bitset>
#include <cstddef>
#include <string>

#include "zabrelo/ZabreloLib.h"

namespace zabrelo {

class CollationTable;

class UnweighedUnits {
public:
    /// Asks the loaded table about each of the 65536 units once (about a
    /// millisecond); the object never changes afterwards, so any number of
    /// threads may use it at once.
    explicit UnweighedUnits(const CollationTable& table);
    explicit UnweighedUnits(const ZabreloLib& lib);

    bool Contains(char16_t unit) const { return unweighed_[unit]; }
    /// How many units the table weighs. Without a table only the space weighs
    /// anything, so a table that weighs no more units gives no letter a weight.
    std::size_t WeighedCount() const { return unweighed_.size() - unweighed_.count(); }

    /// Orders the unweighed units of two UTF-8 texts: negative, 0 or
    /// positive. Ill-formed bytes read as the keys read them, each as one
    /// U+FFFD (itself unweighed). Allocates nothing.
    int Compare(const char* a, std::size_t aSize, const char* b, std::size_t bSize) const;
    /// Replaces `out` with the unweighed units of a UTF-8 text, read as
    /// Compare reads it.
    void Collect(const char* text, std::size_t size, std::u16string& out) const;

private:
    std::bitset<65536> unweighed_;
};

}  // namespace zabrelo

#endif  // ZABRELO_COLLATION_UNWEIGHEDUNITS_H
