// ZabreloLib: Urdu collation for a client program. Load a weight table with
// Initialize, then order UTF-16 strings with Compare or turn them into byte
// keys with GetCollationKey. A loaded table never changes: Compare and
// GetCollationKey may run on any number of threads at once on one object.
// Copies share the table, so copying costs the same whatever its size, and
// stay independent: Initialize gives only the object it is called on a new table.
#ifndef ZABRELO_ZABRELOLIB_H
#define ZABRELO_ZABRELOLIB_H

#include <memory>
#include <string>

#include "zabrelo/Export.h"
#include "zabrelo/VantorException.h"

namespace zabrelo {
class CollationTable;
}

class ZABRELO_API ZabreloLib {
public:
    /// An object with an empty table: only spaces weigh anything until Initialize.
    ZabreloLib();
    ~ZabreloLib();
    /// Shares `other`'s table; a later Initialize of either object leaves
    /// the other's table as it was.
    ZabreloLib(const ZabreloLib& other);
    ZabreloLib& operator=(const ZabreloLib& other);

    /// Orders `first` and `second` by their keys at `level` (1 to 3): -1, 0 or +1.
    /// Equal keys give -1 when `first` has fewer code units, so Compare(a, b) and
    /// Compare(b, a) can be 0 and -1. Level 0 or less compares by that rule alone;
    /// above 3 counts as 3. Never throws; safe on several threads at once.
    int Compare(const std::u16string& first, const std::u16string& second, int level) const;

    /// The sort key of `text` at `level`: its unsigned byte order is the
    /// collation order. Level strings are joined without separators; level 0
    /// or less gives an empty key, above 3 counts as 3. Throws nothing but
    /// std::bad_alloc for the returned string; safe on several threads at once.
    std::string GetCollationKey(const std::u16string& text, int level) const;

    /// Loads the table at `path` (relative paths resolve against the current
    /// directory) into a new table that replaces this object's. False when the
    /// file has no header or a line lacks its weight field; the object then
    /// keeps what was read. Throws IOException (code 16) when `path` is null or
    /// empty or the file cannot be opened; the table is then empty. A U+200C
    /// entry of the old table stays unless the file gives another. Like any
    /// non-const member, it must not run while another call uses this object;
    /// other objects, copies included, are unaffected.
    bool Initialize(const char* path);
    /// Initialize("UrduCOdepage.txt"): the default table in the current directory.
    bool Initialize();
    /// Initialize, reading the whole table: every character it has a line
    /// for weighs (digits, punctuation, Latin letters, presentation forms),
    /// and canonically equivalent spellings of a letter weigh alike. The
    /// order the C interface, the command and the bindings use by default;
    /// Initialize keeps the Arabic block alone.
    bool InitializeFullOrder(const char* path);

private:
    std::shared_ptr<const zabrelo::CollationTable> table_;
};

#endif  // ZABRELO_ZABRELOLIB_H
