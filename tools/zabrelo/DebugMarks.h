// DebugMarks: what --debug shows, as sort shows it. Each output line is
// written with its tabs as '>' and a plain newline for its end, then under
// it one line per key that underlines the text the key compares ("^ no
// match for key" where that is empty): for -n, -g, -h and -M only the
// number or month read, past the blanks before it. Unless -s or -u, a last
// line underlines the whole line, which decides between lines equal on
// every key. Columns count characters; a diacritic (a combining mark)
// takes none.
//
// Before the sort, DebugWarnings lists what sort warns about keys that
// likely do not do what was meant.
#ifndef ZABRELO_TOOL_DEBUGMARKS_H
#define ZABRELO_TOOL_DEBUGMARKS_H

#include <cstddef>
#include <string>
#include <vector>

#include "Fields.h"

namespace zabrelo_tool {

struct SortSettings;

class DebugMarks {
public:
    explicit DebugMarks(const SortSettings& settings);

    /// Appends to `out` the line `text` as --debug shows it, with its marks.
    void Show(const char* text, std::size_t size, std::string& out);

private:
    const std::vector<KeyRange>& keys_;
    bool wholeLine_;  // the last resort: unless -s or -u
    FieldSplitter splitter_;
};

/// The warnings of --debug, each a line without "zabrelo: sort: ".
/// `global`: the ordering options given outside -k; `keysGiven`: whether
/// there was a -k (or +POS1).
std::vector<std::string> DebugWarnings(const SortSettings& settings, const KeyRange& global, bool keysGiven);

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_DEBUGMARKS_H
