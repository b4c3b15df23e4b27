// KeySort: the library's one sort of items by their keys, the key sorter
// behind zabrelo_sort16 (KeyBatch) and the zabrelo command's sort. An item
// holds its key's first sixteen bytes as two big-endian numbers (`head`,
// `head2`, as KeyHead makes them), which settle nearly every comparison
// without following `key`, a pointer to its bytes (`keySize` of them, then
// at least kKeySlack more that may be read), and a position that tells
// items with equal keys apart. The sort is stable by construction: equal
// keys go by position in both directions. First a counting sort by two
// bytes of the keys (the first two that not all keys share), on several
// threads; then each bucket on its own, byte by byte while a byte tells
// items apart, and by comparison below a few dozen items. Tested through zabrelo_sort16 (tests/c/) and the
// command's sort tests.
#ifndef ZABRELO_LIBRARY_KEYSORT_H
#define ZABRELO_LIBRARY_KEYSORT_H

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "library/KeyHead.h"
#include "library/LargeBuffer.h"
#include "library/ThreadShares.h"

namespace zabrelo {

/// Readable bytes that must follow each key: comparisons read eight at a time.
constexpr std::size_t kKeySlack = 8;

namespace key_sort {

constexpr std::size_t kBucketSortTexts = 4096;  // below this, one plain sort
constexpr std::size_t kGroupsPerThread = 16;    // groups of buckets the sort shares out, per thread
constexpr std::size_t kBuckets = 65536;         // one per value of a key's first two bytes
constexpr std::size_t kRadixTexts = 48;         // below this, a comparison sort

inline const unsigned char* Bytes(const unsigned char* key) { return key; }
inline const unsigned char* Bytes(const char* key) { return reinterpret_cast<const unsigned char*>(key); }

// Unsigned byte order of the keys: the collation order. Inline, eight bytes
// a step: the input holds many equal keys and keys equal in their first
// eight bytes, and a call to memcmp per comparison cost more than the sort.
template <class Item>
int CompareKeys(const Item& a, const Item& b) {
    if (a.head != b.head) return a.head < b.head ? -1 : 1;
    if (a.head2 != b.head2) return a.head2 < b.head2 ? -1 : 1;
    // Equal heads: the zero padding may hide a length difference, so the
    // lengths decide once the common part is equal.
    const std::uint32_t common = std::min(a.keySize, b.keySize);
    // Eight bytes a step may read past the shorter key: kKeySlack bytes follow each key.
    for (std::uint32_t k = 16; k < common; k += 8) {
        std::uint64_t x = BigEndian64(Bytes(a.key) + k), y = BigEndian64(Bytes(b.key) + k);
        if (common - k < 8) {
            const unsigned drop = 64 - 8 * (common - k);
            x >>= drop;
            y >>= drop;
        }
        if (x != y) return x < y ? -1 : 1;
    }
    return a.keySize < b.keySize ? -1 : a.keySize > b.keySize ? 1 : 0;
}


// The byte at `depth` (0 to 15) of an item's key, from its inline heads.
template <class Item>
inline unsigned ByteAt(const Item& item, unsigned depth) {
    const std::uint64_t word = depth < 8 ? item.head : item.head2;
    return static_cast<unsigned>(word >> (56 - 8 * (depth & 7))) & 0xFF;
}

// Sorts the n items at `data`, whose keys share their first `depth` bytes:
// a byte at a time (most significant first) while it tells them apart,
// into buckets that alternate between the two buffers; small runs, and runs
// whose sixteen inline bytes are all equal, go to a comparison sort. The
// result ends at `data` when `intoData`, else at `other` (n items of room).
template <class Item, class Before>
void RadixSort(Item* data, Item* other, std::size_t n, unsigned depth, bool intoData, bool reverse,
               const Before& before) {
    std::uint32_t count[256];
    for (;; ++depth) {
        if (n < kRadixTexts || depth == 16) {
            Item* const result = intoData ? data : other;
            if (!intoData) std::copy(data, data + n, other);
            std::sort(result, result + n, before);
            return;
        }
        std::fill(count, count + 256, 0U);
        for (std::size_t i = 0; i < n; ++i) ++count[ByteAt(data[i], depth)];
        if (count[ByteAt(data[0], depth)] != n) break;  // one byte value throughout: look further
    }
    std::uint32_t start[256], next[256], position = 0;
    for (unsigned k = 0; k < 256; ++k) {
        const unsigned b = reverse ? 255 - k : k;
        start[b] = next[b] = position;
        position += count[b];
    }
    for (std::size_t i = 0; i < n; ++i) other[next[ByteAt(data[i], depth)]++] = data[i];
    for (unsigned b = 0; b < 256; ++b) {
        if (count[b] == 0) continue;
        RadixSort(other + start[b], data + start[b], count[b], depth + 1, !intoData, reverse, before);
    }
}

}  // namespace key_sort

/// Sorts the `n` items at `items` by key, ascending or with `reverse`
/// descending, items with equal keys by `position(item)` ascending in both
/// directions; positions must differ. Runs on up to `threads` threads.
/// Throws std::bad_alloc.
template <class Item, class Position>
void SortByKeys(Item* items, std::size_t n, bool reverse, unsigned threads, const Position& position) {
    using namespace key_sort;
    // Equal keys are ordered by position, which keeps the sort stable in
    // both directions (reverse turns the keys round, not the ties) and makes
    // every item distinct, so a plain sort does what a slower stable sort would.
    const auto before = [reverse, &position](const Item& a, const Item& b) {
        const int order = CompareKeys(a, b);
        if (order != 0) return reverse ? order > 0 : order < 0;
        return position(a) < position(b);
    };
    if (n < kBucketSortTexts) {
        std::sort(items, items + n, before);
        return;
    }
    // First a counting sort by two bytes of the keys (for text, the first
    // letters' primaries): each thread counts, then moves, one part of the items, the
    // buckets in key order (reversed with `reverse`). Then each bucket on its
    // own, small enough to sort in cache, groups of buckets taken by the
    // threads as they go: by the next bytes while they tell items apart, and
    // by comparison (ties by position) at the end.
    threads = std::max(1U, threads);
    // Leading bytes that every key shares (numbers of one sign and length,
    // say) would put nearly every item in one bucket, left to one thread:
    // the buckets go by the two bytes after those (at most the seventh and
    // eighth). The least and greatest heads share what all heads share.
    std::vector<std::uint64_t> least(threads, ~std::uint64_t{0}), most(threads, 0);
    RunShares(threads, [&](unsigned share) {
        const Share part = ShareOf(n, share, threads);
        std::uint64_t low = ~std::uint64_t{0}, high = 0;
        for (std::size_t i = part.begin; i < part.end; ++i) {
            low = std::min(low, items[i].head);
            high = std::max(high, items[i].head);
        }
        least[share] = low;
        most[share] = high;
    });
    const std::uint64_t differ = *std::min_element(least.begin(), least.end()) ^
                                 *std::max_element(most.begin(), most.end());
    unsigned shared = 0;  // leading bytes all heads share
    while (shared < 6 && (differ >> (56 - 8 * shared)) == 0) ++shared;
    const unsigned shift = 8 * shared;
    const auto bucketOf = [shift](const Item& item) { return static_cast<std::size_t>((item.head << shift) >> 48); };
    std::vector<std::vector<std::uint32_t>> next(threads, std::vector<std::uint32_t>(kBuckets, 0));
    RunShares(threads, [&](unsigned share) {
        std::uint32_t* const count = next[share].data();
        const Share part = ShareOf(n, share, threads);
        for (std::size_t i = part.begin; i < part.end; ++i) ++count[bucketOf(items[i])];
    });
    std::vector<std::size_t> starts(kBuckets + 1);
    std::uint32_t at = 0;
    for (std::size_t k = 0; k < kBuckets; ++k) {
        const std::size_t bucket = reverse ? kBuckets - 1 - k : k;
        starts[k] = at;
        for (unsigned share = 0; share < threads; ++share) {
            const std::uint32_t count = next[share][bucket];
            next[share][bucket] = at;
            at += count;
        }
    }
    starts[kBuckets] = n;
    LargeBuffer<Item> distributed(n);
    RunShares(threads, [&](unsigned share) {
        std::uint32_t* const to = next[share].data();
        const Share part = ShareOf(n, share, threads);
        for (std::size_t i = part.begin; i < part.end; ++i) distributed[to[bucketOf(items[i])]++] = items[i];
    });
    // Each bucket is then sorted from there back into `items`.
    // Groups of whole buckets of about a sixteenth of a thread's share each.
    std::vector<std::size_t> groups{0};
    for (std::size_t k = 1; k < kBuckets; ++k) {
        if ((starts[k] - starts[groups.back()]) * threads * kGroupsPerThread >= n) groups.push_back(k);
    }
    groups.push_back(kBuckets);
    std::atomic<std::size_t> nextGroup{0};
    RunShares(threads, [&](unsigned) {
        for (std::size_t g; (g = nextGroup++) + 1 < groups.size();) {
            for (std::size_t k = groups[g]; k < groups[g + 1]; ++k) {
                const std::size_t size = starts[k + 1] - starts[k];
                Item* const bucket = distributed.data() + starts[k];
                if (size > 1) RadixSort(bucket, items + starts[k], size, shared + 2, false, reverse, before);
                if (size == 1) items[starts[k]] = *bucket;
            }
        }
    });
}

}  // namespace zabrelo

#endif  // ZABRELO_LIBRARY_KEYSORT_H
