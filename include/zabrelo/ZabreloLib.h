// ZabreloLib: Urdu collation for a client program. Load a weight table with
// Initialize, then order UTF-16 strings with Compare or turn them into byte
// keys with GetCollationKey. One object serves one call at a time; separate
// objects (or copies) are independent and may be used on separate threads.
#ifndef ZABRELO_ZABRELOLIB_H
#define ZABRELO_ZABRELOLIB_H

#include <memory>
#include <string>

#include "zabrelo/Export.h"
#include "zabrelo/VantorException.h"

namespace zabrelo {
class CollationEngine;
}

class ZABRELO_API ZabreloLib {
public:
    /// An object with an empty table: only spaces weigh anything until Initialize.
    ZabreloLib();
    ~ZabreloLib();
    /// Copies the loaded table; the two objects are independent afterwards.
    ZabreloLib(const ZabreloLib& other);
    ZabreloLib& operator=(const ZabreloLib& other);

    /// Orders `first` and `second` by their keys at `level` (1 to 3): -1, 0 or +1.
    /// Equal keys give -1 when `first` has fewer code units, so Compare(a, b) and
    /// Compare(b, a) can be 0 and -1. Level 0 or less compares by that rule alone;
    /// above 3 counts as 3. Never throws.
    int Compare(std::u16string first, std::u16string second, int level);

    /// The sort key of `text` at `level`: its unsigned byte order is the
    /// collation order. Level strings are joined without separators; level 0
    /// or less gives an empty key, above 3 counts as 3. Never throws.
    std::string GetCollationKey(std::u16string text, int level);

    /// Loads the table at `path` (relative paths resolve against the current
    /// directory). False when the file has no header or a line lacks its weight
    /// field. Throws IOException (code 16) when `path` is null or empty or the
    /// file cannot be opened; the table is then empty.
    bool Initialize(const char* path);
    /// Initialize("UrduCOdepage.txt"): the default table in the current directory.
    bool Initialize();

private:
    std::unique_ptr<zabrelo::CollationEngine> engine_;
};

#endif  // ZABRELO_ZABRELOLIB_H
