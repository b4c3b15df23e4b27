// LineKeys: the sort key `zabrelo sort` gives a line, one byte string whose
// unsigned byte order is the order of lines by their keys.
//
// Without -k it is the collation's key of the whole line (Collation.h: the
// full or the classic order, numbers by value with --natural). With -k it
// joins, key by key in order of priority, the parts of each key: for a key
// of text, the collation's key of the text (-f, -d and -i applied first,
// KeyFilters.h) and that text's unweighed units and their places
// (collation/UnweighedUnits.h), so lines whose keys have equal weights are
// ordered, key by key, by what the table does not weigh; for -n, -g and -h
// the number's value (NumericKeys.h), for -M the month (MonthKeys.h), for
// -V the version order (VersionKeys.h); -R puts the key's hash
// (RandomKeys.h) before its text.
// Each part is escaped and closed so that no part is a start of another
// (a 00 byte becomes 00 FF, 00 00 closes the part), which makes joined parts
// compare part by part; a key in the other direction than the whole sort
// has its parts' bytes inverted. Unless the sort is stable, the whole
// line's key follows: lines whose keys are all equal are then ordered as
// without -k, as sort's last resort compares whole lines. Last come four
// bytes giving the length of the -k parts, which never decide an order
// (everything before them differs first) and tell -u where the keys end.
#ifndef ZABRELO_TOOL_LINEKEYS_H
#define ZABRELO_TOOL_LINEKEYS_H

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "Collation.h"
#include "Fields.h"
#include "RandomKeys.h"
#include "collation/UnweighedUnits.h"

namespace zabrelo_tool {

using zabrelo::UnweighedUnits;

class LineKeys {
public:
    /// `reverse` and `stable` are the whole sort's -r and -s; `keys` the -k
    /// keys (none: the whole line), found in fields as `mode` and
    /// `separator` say.
    /// `random`: the hash of -R keys. `replaceInvalid`: read each byte of
    /// invalid UTF-8 as U+FFFD (--invalid=replace) rather than refuse the line.
    LineKeys(const UnweighedUnits& unweighed, int level, bool reverse, bool stable, std::vector<KeyRange> keys,
             FieldSplitter::Mode mode, std::string separator, RandomKeys random = RandomKeys(),
             bool replaceInvalid = false);

    /// Whether keys are made of -k fields (so -u compares just those parts).
    bool Fields() const { return !keys_.empty(); }

    /// Whether the keys begin with numbers, months or versions, which are
    /// quick to read, and go on with text, whose weights are not: then a
    /// sort that sees all its lines at once may key them by that beginning
    /// alone and finish the keys of the lines it does not tell apart
    /// (KeyBuilder::Append's `start`).
    bool QuickStart() const { return quickKeys_ > 0 && (quickKeys_ < keys_.size() || !stable_); }

    /// The -k part of a key made with Fields(): where the parts of the keys end.
    static std::size_t FieldsSize(const char* key, std::size_t size);

private:
    friend class KeyBuilder;
    const UnweighedUnits& unweighed_;
    int level_;
    bool reverse_;
    bool stable_;
    std::vector<KeyRange> keys_;
    FieldSplitter::Mode mode_;
    std::string separator_;
    RandomKeys random_;
    bool replaceInvalid_;
    std::size_t quickKeys_ = 0;  // the leading keys of numbers, months or versions
};

/// Builds keys as LineKeys defines them, with scratch space kept from line
/// to line: one per thread (the library object serves them all at once).
class KeyBuilder {
public:
    KeyBuilder(const LineKeys& keys, const Collation& collation);

    /// How much of a key Append makes. Each stage orders a line as the full
    /// key does against every line whose key differs from its own in that
    /// stage, so a sort of all its lines at once can key them by the first
    /// and make the next stages only for lines whose keys are equal so far.
    enum class Stage {
        kQuick,   // the parts of LineKeys::QuickStart's keys
        kFields,  // the parts of all the -k keys, not the whole line's key
        kFull,
    };
    /// Appends the key of a line to `out`. False, appending nothing, when the
    /// line is not valid UTF-8 (unless invalid bytes are replaced).
    bool Append(const char* text, std::size_t size, std::string& out, Stage stage = Stage::kFull);

private:
    const LineKeys& keys_;
    const Collation& collation_;
    FieldSplitter splitter_;
    // Whether the quick keys, and all the keys, are found without splitting
    // the line (FieldSplitter::Direct).
    bool quickDirect_ = true;
    bool allDirect_ = true;
    std::u16string units_;
    std::u16string fieldUnits_;
    std::string part_;
    std::string text_;  // a filtered key's text as UTF-8

    /// Appends the parts of one key of text (`units`, and `text` in UTF-8):
    /// its weights, and its unweighed units and their places.
    void AppendText(const std::u16string& units, std::string_view text, bool invert, std::string& out);
};

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_LINEKEYS_H
