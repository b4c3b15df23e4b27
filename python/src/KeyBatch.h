// KeyBatch: the keys of many texts, built once per text on several threads
// that share one table, and their stable order. Holds no Python object, so
// the whole of it may run with the GIL released; the caller keeps the texts
// alive and unchanged meanwhile.
#ifndef ZABRELO_PYTHON_KEYBATCH_H
#define ZABRELO_PYTHON_KEYBATCH_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "LargeBuffer.h"
#include "TextUnits.h"
#include "collation/CollationTable.h"

namespace zabrelo_python {

struct KeyedText {
    // The key's first 16 bytes as two big-endian numbers, zero-padded: they
    // decide nearly every comparison without a look at the key itself.
    std::uint64_t head;
    std::uint64_t head2;
    const unsigned char* key;
    std::uint32_t keySize;
    std::uint32_t index;  // position in the input
};

class KeyBatch {
public:
    /// The most texts one batch takes: positions are 32-bit.
    static constexpr std::size_t kMaxTexts = UINT32_MAX;

    /// Builds the key of every text at `level` on up to `threads` threads.
    /// Throws std::bad_alloc when memory runs out and std::length_error for
    /// more than kMaxTexts texts or a key of 4 GiB or more.
    KeyBatch(const zabrelo::CollationTable& table, const TextRef* texts, std::size_t count, int level,
             unsigned threads);
    KeyBatch(const KeyBatch&) = delete;
    KeyBatch& operator=(const KeyBatch&) = delete;

    /// Sorts the items by key, ascending or with `reverse` descending; equal
    /// keys keep their input order either way, as Python's sort does.
    void Sort(bool reverse, unsigned threads);

    /// One item per text: in input order until sorted.
    const KeyedText* begin() const { return items_.data(); }
    const KeyedText* end() const { return items_.data() + items_.size(); }

private:
    std::vector<LargeBuffer<unsigned char>> arenas_;  // one per thread: the key bytes
    LargeBuffer<KeyedText> items_;
};

/// Threads worth starting for `count` texts: one per core, but none beyond
/// one for every few thousand texts, where starting it costs more than it saves.
unsigned ThreadsFor(std::size_t count);

}  // namespace zabrelo_python

#endif  // ZABRELO_PYTHON_KEYBATCH_H
