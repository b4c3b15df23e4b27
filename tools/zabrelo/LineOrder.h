// LineOrder: the order in which `zabrelo sort` puts lines, and when -u takes
// two lines for one. Whatever produces sorted output goes by these
// definitions: Compare for the order, Same for duplicates.
//
// Lines are ordered by their keys (LineKeys.h: the whole line's, or with -k
// the keys' and then the whole line's). Lines whose keys are equal are ordered
// by their unweighed units and the places of those among the weighed ones
// (collation/UnweighedUnits.h), then, as a last resort, byte
// by byte and by their line ends, so the output never depends on the input
// order; lines that are the same in all of this keep their input order.
// Stable (-s) drops everything after the keys: equal keys keep input order.
// Reversed (-r) turns the whole order round, the last resort included, but
// not the input order of lines it cannot tell apart.
//
// Two lines are duplicates for -u when their keys are equal and their
// unweighed units are the same, at the same places: "کتاب" and "کِتاب" at
// level 1, never "abc" and "xyz", nor "کتاب" and "کتاب2", nor "کتاب2" and
// "2کتاب". With -k the keys hold their own
// unweighed units (LineKeys.h), so lines are duplicates when their -k keys
// are equal. Of each set of duplicates, the first in the output stays.
//
// A line is compared as an item (its key) and its text: items whose `line`
// indexes a vector of lines, or records a merge reads back from a file.
#ifndef ZABRELO_TOOL_LINEORDER_H
#define ZABRELO_TOOL_LINEORDER_H

#include <utility>
#include <vector>

#include "InputText.h"
#include "SortKeys.h"
#include "collation/UnweighedUnits.h"

namespace zabrelo_tool {

using zabrelo::UnweighedUnits;

class LineOrder {
public:
    /// `level`: the keys' level; `fields`: the keys are -k keys (LineKeys::Fields()).
    LineOrder(const UnweighedUnits& unweighed, int level, bool reverse, bool stable, bool fields)
        : unweighed_(unweighed), level_(level), reverse_(reverse), stable_(stable), fields_(fields) {}

    /// Negative when `a` (text `x`) goes first, positive when `b` (text `y`)
    /// does, 0 when only the input order can tell them apart. Past the keys
    /// only for equal keys.
    int Compare(const KeyedLine& a, const Line& x, const KeyedLine& b, const Line& y) const {
        int order = CompareKeys(a, b);
        if (order == 0 && !stable_) order = Tiebreak(x, y);
        return reverse_ ? -order : order;
    }
    /// Whether -u takes `a` (text `x`) and `b` (text `y`) for the same line.
    bool Same(const KeyedLine& a, const Line& x, const KeyedLine& b, const Line& y) const {
        return fields_ ? SameFields(a, b) : KeysEqual(a, b) && CompareUnweighed(x, y) == 0;
    }

    /// Finishes the run of equal keys that starts at `first`, in items that
    /// SortKeys::Sort (by key, reversed with -r, equal keys by input order)
    /// left in [first, last), their lines in `lines`: puts it in the order
    /// Compare defines and, with `unique`, moves the first of each set of
    /// duplicates, in order, to its front. Returns the end of the run and the
    /// end of what it keeps. Meant to run just before the run is written,
    /// when its lines are about to be read anyway; the usual run of equal
    /// keys, one line repeated, is recognised in one pass without reading
    /// the keys.
    std::pair<KeyedLine*, KeyedLine*> NextRun(KeyedLine* first, KeyedLine* last, const LineList& lines,
                                              bool unique) const;

    bool Stable() const { return stable_; }
    bool Fields() const { return fields_; }
    const UnweighedUnits& Unweighed() const { return unweighed_; }
    int Level() const { return level_; }

private:
    /// The order of equal-key lines: unweighed units, then bytes, then line ends.
    int Tiebreak(const Line& x, const Line& y) const;
    /// The order of two lines' unweighed units alone.
    int CompareUnweighed(const Line& x, const Line& y) const;
    /// Whether the -k parts of two keys are equal.
    static bool SameFields(const KeyedLine& a, const KeyedLine& b);
    /// Whether [first, last) is one line (text and end) over and over.
    static bool Repeated(const KeyedLine* first, const KeyedLine* last, const LineList& lines);
    /// Keeps the first of each set of lines with the same unweighed units in
    /// [first, last), lines with equal keys in output order; the new end.
    KeyedLine* KeepFirsts(KeyedLine* first, KeyedLine* last, const LineList& lines) const;
    /// NextRun for -u with -k keys: the lines whose -k keys equal first's
    /// form the run, and only the first in output order is kept.
    std::pair<KeyedLine*, KeyedLine*> NextFieldsRun(KeyedLine* first, KeyedLine* last,
                                                    const LineList& lines) const;

    const UnweighedUnits& unweighed_;
    int level_;
    bool reverse_;
    bool stable_;
    bool fields_;
};

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_LINEORDER_H
