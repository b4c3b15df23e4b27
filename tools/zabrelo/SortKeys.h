// SortKeys: the sort key of every input line, built once per line on
// several threads that share the one library object. Sorting then compares
// keys, never strings.
#ifndef ZABRELO_TOOL_SORTKEYS_H
#define ZABRELO_TOOL_SORTKEYS_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "InputText.h"
#include "Progress.h"
#include "zabrelo/ZabreloLib.h"

namespace zabrelo_tool {

struct KeyedLine {
    std::uint64_t head;  // the key's first 8 bytes, big-endian, zero-padded: decides most comparisons
    const char* key;
    std::uint32_t keySize;
    std::uint32_t line;  // index into the input's lines
};

/// Unsigned byte order of the keys: the collation order.
inline int CompareKeys(const KeyedLine& a, const KeyedLine& b) {
    if (a.head != b.head) return a.head < b.head ? -1 : 1;
    // Equal heads: padding may hide a length difference, so compare from the start.
    const std::uint32_t common = a.keySize < b.keySize ? a.keySize : b.keySize;
    const int order = common == 0 ? 0 : std::char_traits<char>::compare(a.key, b.key, common);
    if (order != 0) return order;
    return a.keySize < b.keySize ? -1 : a.keySize > b.keySize ? 1 : 0;
}

/// CompareKeys(a, b) == 0, mostly without reading the keys: equal keys have
/// equal heads and sizes, and then differ, if at all, after the head.
inline bool KeysEqual(const KeyedLine& a, const KeyedLine& b) {
    return a.head == b.head && a.keySize == b.keySize &&
           (a.keySize <= 8 || std::char_traits<char>::compare(a.key + 8, b.key + 8, a.keySize - 8) == 0);
}

class SortKeys {
public:
    /// Builds the keys at `level` with `jobs` threads. Throws ToolError
    /// naming the first line (in input order) that is not valid UTF-8.
    SortKeys(const ZabreloLib& lib, const InputText& input, int level, int jobs, Progress& progress);
    SortKeys(const SortKeys&) = delete;
    SortKeys& operator=(const SortKeys&) = delete;

    /// Sorts the items by key on up to `jobs` threads, ascending or with
    /// `reverse` descending; equal keys keep their input order either way
    /// (LineOrder::NextRun then finishes each run of them).
    void Sort(bool reverse, int jobs);

    /// One item per line: in input order until sorted.
    std::vector<KeyedLine>& Items() { return items_; }

private:
    std::vector<std::string> arenas_;  // one per thread: the key bytes
    std::vector<KeyedLine> items_;
};

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_SORTKEYS_H
