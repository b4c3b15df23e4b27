// UnweighedUnits: the part of a text that a weight table does not weigh.
//
// A UTF-16 code unit is unweighed when the table gives it no weight of its
// own: its level-3 key, as a text of that one unit, is empty. The bundled
// table weighs the space, U+200C and most of U+0600..U+06F9; every other
// unit is unweighed: Latin letters, digits, punctuation, the tatweel, the
// surrogates (so every character beyond the BMP). A unit that a table lists
// with the weights 0,0,0 is unweighed too. Keys leave these units out, so
// lines that differ only in them ("abc" and "xyz", "کتاب" and "کتاب2") have
// equal keys.
//
// The unweighed units of a text are its unweighed units in text order; two
// such sequences compare unit by unit, by UTF-16 code unit value, and a
// sequence that is the start of the other comes first. `zabrelo sort` orders
// lines with equal keys by them and `-u` never takes lines whose sequences
// differ for duplicates (LineOrder.h).
#ifndef ZABRELO_TOOL_UNWEIGHEDUNITS_H
#define ZABRELO_TOOL_UNWEIGHEDUNITS_H

#include <bitset>
#include <cstddef>
#include <string>

#include "zabrelo/ZabreloLib.h"

namespace zabrelo {
class CollationTable;
}

namespace zabrelo_tool {

class UnweighedUnits {
public:
    /// Asks the loaded table about each of the 65536 units once (about a millisecond).
    explicit UnweighedUnits(const ZabreloLib& lib);
    explicit UnweighedUnits(const zabrelo::CollationTable& table);

    bool Contains(char16_t unit) const { return unweighed_[unit]; }
    /// How many units the table weighs. Without a table only the space weighs
    /// anything, so a table that weighs no more units gives no letter a weight.
    std::size_t WeighedCount() const { return unweighed_.size() - unweighed_.count(); }

    /// Orders the unweighed units of two texts of valid UTF-8: negative, 0
    /// or positive.
    int Compare(const char* a, std::size_t aSize, const char* b, std::size_t bSize) const;
    /// Replaces `out` with the unweighed units of a text of valid UTF-8.
    void Collect(const char* text, std::size_t size, std::u16string& out) const;

private:
    std::bitset<65536> unweighed_;
};

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_UNWEIGHEDUNITS_H
