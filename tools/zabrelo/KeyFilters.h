// KeyFilters: what -f, -d and -i do to a key's text before it is weighed.
//
// -f folds Latin lower-case letters to upper case (ASCII, Latin-1 and
// Latin Extended-A), so "abc" and "ABC" weigh the same. -d keeps only
// blanks, letters, marks and digits: Urdu and Arabic letters and their
// marks (zer, zabar, hamza above...) count as letters, Urdu and
// Arabic-Indic digits as digits, and the joiners (ZWNJ, ZWJ) that shape
// Urdu words stay too; punctuation and symbols go. -i leaves out control
// characters (C0, DEL, C1), which print nothing.
#ifndef ZABRELO_TOOL_KEYFILTERS_H
#define ZABRELO_TOOL_KEYFILTERS_H

#include <string>

#include "Fields.h"

namespace zabrelo_tool {

/// Applies `key`'s -f and -d or -i to `units` in place.
void FilterKeyText(const KeyRange& key, std::u16string& units);

/// Whether `key` changes the text at all.
inline bool FiltersText(const KeyRange& key) { return key.fold || key.ignore != KeyIgnore::kNone; }

/// The upper-case Latin letter of `unit`, or `unit` itself.
char16_t FoldLatin(char16_t unit);
/// Whether -d keeps `unit`.
bool IsDictionaryUnit(char16_t unit);
/// Whether -i keeps `unit`.
bool IsPrintingUnit(char16_t unit);

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_KEYFILTERS_H
