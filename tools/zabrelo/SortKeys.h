// SortKeys: the sort key of every input line, built once per line on
// several threads that share the one library object. Sorting then compares
// keys, never strings.
#ifndef ZABRELO_TOOL_SORTKEYS_H
#define ZABRELO_TOOL_SORTKEYS_H

#include <cstddef>
#include <utility>
#include <cstdint>
#include <string>
#include <vector>

#include "Collation.h"
#include "InputText.h"
#include "LineKeys.h"
#include "Progress.h"
#include "UnsetAllocator.h"
#include "library/KeyHead.h"

namespace zabrelo_tool {

struct KeyedLine {
    // The key's first 16 bytes, big-endian, zero-padded, in two halves: they
    // decide most comparisons without reading the key itself.
    std::uint64_t head;
    std::uint64_t head2;
    const char* key;
    std::uint32_t keySize;
    std::uint32_t line;  // index into the input's lines
};

using KeyedLines = std::vector<KeyedLine, UnsetAllocator<KeyedLine>>;

/// Sets the item's heads from its key, `key` (its bytes wherever they lie now).
inline void SetHeads(KeyedLine& item, const char* key) {
    item.head = zabrelo::KeyHead(key, item.keySize);
    item.head2 = item.keySize > 8 ? zabrelo::KeyHead(key + 8, item.keySize - 8) : 0;
}

/// Unsigned byte order of the keys: the collation order.
inline int CompareKeys(const KeyedLine& a, const KeyedLine& b) {
    if (a.head != b.head) return a.head < b.head ? -1 : 1;
    if (a.head2 != b.head2) return a.head2 < b.head2 ? -1 : 1;
    // Equal heads: the bytes both keys have among the first 16 are equal (a
    // length difference may hide in the padding, which the sizes settle).
    const std::uint32_t common = a.keySize < b.keySize ? a.keySize : b.keySize;
    const int order = common <= 16 ? 0 : std::char_traits<char>::compare(a.key + 16, b.key + 16, common - 16);
    if (order != 0) return order;
    return a.keySize < b.keySize ? -1 : a.keySize > b.keySize ? 1 : 0;
}

/// CompareKeys(a, b) == 0, mostly without reading the keys: equal keys have
/// equal heads and sizes, and then differ, if at all, after the heads.
inline bool KeysEqual(const KeyedLine& a, const KeyedLine& b) {
    return a.head == b.head && a.head2 == b.head2 && a.keySize == b.keySize &&
           (a.keySize <= 16 || std::char_traits<char>::compare(a.key + 16, b.key + 16, a.keySize - 16) == 0);
}

class SortKeys {
public:
    /// Keys lines as `keys` defines, on up to `jobs` threads.
    SortKeys(const Collation& collation, const LineKeys& keys, int jobs);
    SortKeys(const SortKeys&) = delete;
    SortKeys& operator=(const SortKeys&) = delete;

    /// Keys the lines `input` holds: one item per line, in input order.
    /// Throws ToolError naming the first line (in input order) that is not
    /// valid UTF-8.
    void Build(const InputText& input, Progress& progress);
    /// Keys the lines by their keys' quick start (LineKeys::QuickStart) if
    /// they have one, and then after Sort finishes the keys of the lines
    /// whose starts are equal, which alone their full keys can order: for
    /// a sort of all its lines at once.
    void BuildStarts(const InputText& input, Progress& progress);

    /// Sorts the items by key, ascending or with `reverse` descending; equal
    /// keys keep their input order either way (LineOrder::NextRun then
    /// finishes each run of them).
    void Sort(bool reverse);

    KeyedLines& Items() { return items_; }
    /// The bytes the keys take.
    std::size_t KeyBytes() const;
    /// Gives back the memory of the keys.
    void Release();

private:
    const Collation& collation_;
    const LineKeys& keys_;
    int jobs_;
    std::vector<std::string> arenas_;  // one per thread: the key bytes, reused from chunk to chunk
    KeyedLines items_;
    const InputText* starts_ = nullptr;  // BuildStarts' input, until Sort finishes its keys
    std::vector<std::string> fields_;    // per thread: the -k keys of the lines with equal starts
    std::vector<std::string> full_;      // per thread: the full keys of the lines with equal -k keys

    void Build(const InputText& input, Progress& progress, bool starts);
    /// Finishes the keys BuildStarts left at their starts, and their order.
    void FinishStarts(bool reverse);
    /// Gives the lines in runs of equal starts their keys of `stage`, into
    /// `arenas` (one per thread), and sorts each run; returns the runs that
    /// are still equal.
    std::vector<std::pair<std::size_t, std::size_t>> Finish(
        const std::vector<std::pair<std::size_t, std::size_t>>& runs, const LineList& lines,
        KeyBuilder::Stage stage, std::vector<std::string>& arenas, bool reverse);
    /// Runs of equal keys among [first, last) of the items.
    void EqualRuns(std::size_t first, std::size_t last, std::vector<std::pair<std::size_t, std::size_t>>& runs) const;
};

}  // namespace zabrelo_tool

#endif  // ZABRELO_TOOL_SORTKEYS_H
