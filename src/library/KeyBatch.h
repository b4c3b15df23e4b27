// KeyBatch: the keys of many texts, built once per text on several threads
// that share one table, and their stable order: the library's one key
// sorter, behind zabrelo_sort16 (and so the Python package's sorted). It
// touches nothing but the texts, which the caller keeps alive and unchanged
// meanwhile. Built with ZABRELO_NO_THREADS (a WebAssembly build without
// threads) every share of the work runs on the calling thread. Tested by
// tests/library/KeyBatchTest.cpp against a plain stable sort by keys.
#ifndef ZABRELO_LIBRARY_KEYBATCH_H
#define ZABRELO_LIBRARY_KEYBATCH_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "collation/CollationTable.h"
#include "library/LargeBuffer.h"

namespace zabrelo {

struct KeyedText {
    // The key's first 16 bytes as two big-endian numbers, zero-padded: they
    // decide nearly every comparison without a look at the key itself.
    std::uint64_t head;
    std::uint64_t head2;
    const unsigned char* key;
    std::uint32_t keySize;
    std::uint32_t index;  // position in the input
};

/// The texts of a batch: text i is the `lengths[i]` UTF-16 units at
/// `texts[i]`, or, when lengths[i] is kUntilZero, the units before its first
/// zero unit.
struct Utf16Texts {
    static constexpr std::size_t kUntilZero = static_cast<std::size_t>(-1);
    const char16_t* const* texts;
    const std::size_t* lengths;
};

class KeyBatch {
public:
    /// The most texts one batch takes: positions are 32-bit.
    static constexpr std::size_t kMaxTexts = UINT32_MAX;

    /// Builds the key of every text at `level` (the natural key with
    /// `natural`, NaturalKeys.h) on up to `threads` threads.
    /// Throws std::bad_alloc when memory runs out and std::length_error for
    /// more than kMaxTexts texts or a key of 4 GiB or more.
    KeyBatch(const CollationTable& table, Utf16Texts texts, std::size_t count, int level, unsigned threads,
             bool natural = false);
    KeyBatch(const KeyBatch&) = delete;
    KeyBatch& operator=(const KeyBatch&) = delete;

    /// Sorts the items by key, ascending or with `reverse` descending; equal
    /// keys keep their input order either way.
    void Sort(bool reverse, unsigned threads);

    /// One item per text: in input order until sorted.
    const KeyedText* begin() const { return items_.data(); }
    const KeyedText* end() const { return items_.data() + items_.size(); }

private:
    std::vector<LargeBuffer<unsigned char>> arenas_;  // one per thread: the key bytes
    LargeBuffer<KeyedText> items_;
};

/// Threads worth starting for `count` texts: at most `most` (0: one per
/// core), and none beyond one for every few thousand texts, where starting
/// one costs more than it saves. 1 in a build without threads.
unsigned KeyThreadsFor(std::size_t count, unsigned most);

}  // namespace zabrelo

#endif  // ZABRELO_LIBRARY_KEYBATCH_H
