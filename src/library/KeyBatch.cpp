// KeyBatch: each thread takes chunks of the texts as it goes and writes
// their keys to an arena of its own; pointers into an arena are taken only
// once it has stopped growing. Sorting works on 32-byte items whose first
// sixteen key bytes settle nearly every comparison without following the
// pointer into an arena, which would be a cache miss.
#include "library/KeyBatch.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <string>
#ifndef ZABRELO_NO_THREADS
#include <thread>
#endif

#include "collation/CollationKeys.h"
#include "library/KeyHead.h"
#include "library/ThreadShares.h"

namespace zabrelo {

namespace {

#ifndef ZABRELO_NO_THREADS
constexpr std::size_t kTextsPerThread = 16384;
#endif
constexpr std::size_t kArenaBytesPerText = 32;  // a first guess; an arena grows when keys are longer
constexpr std::size_t kSlack = 8;                // bytes after the last key that comparisons may read
constexpr std::size_t kChunkTexts = 4096;        // texts a thread keys at a time
constexpr std::size_t kBucketSortTexts = 4096;   // below this, one plain sort
constexpr std::size_t kGroupsPerThread = 16;     // groups of buckets the sort shares out, per thread
constexpr std::size_t kBuckets = 65536;          // one per value of a key's first two bytes
constexpr std::size_t kRadixTexts = 48;          // below this, a comparison sort

// Runs work(0) .. work(count - 1), share 0 on the calling thread and the
// others on threads of their own; a thread that cannot be started has its
// share run here instead. The first exception of any share is rethrown
// once every share has ended.
template <class Work>
void RunShares(unsigned count, const Work& work) {
#ifdef ZABRELO_NO_THREADS
    for (unsigned share = 0; share < count; ++share) work(share);
#else
    std::vector<std::exception_ptr> failures(count);
    std::vector<std::thread> workers;
    std::vector<unsigned> here;
    workers.reserve(count);
    here.reserve(count);
    const auto guarded = [&](unsigned share) {
        try {
            work(share);
        } catch (...) {
            failures[share] = std::current_exception();
        }
    };
    here.push_back(0);
    for (unsigned share = 1; share < count; ++share) {
        try {
            workers.emplace_back(guarded, share);
        } catch (const std::exception&) {
            here.push_back(share);
        }
    }
    for (const unsigned share : here) guarded(share);
    for (std::thread& worker : workers) worker.join();
    for (const std::exception_ptr& failure : failures) {
        if (failure) std::rethrow_exception(failure);
    }
#endif
}

// Unsigned byte order of the keys: the collation order. Inline, eight bytes
// a step: the input holds many equal keys and keys equal in their first
// eight bytes, and a call to memcmp per comparison cost more than the sort.
int CompareKeys(const KeyedText& a, const KeyedText& b) {
    if (a.head != b.head) return a.head < b.head ? -1 : 1;
    if (a.head2 != b.head2) return a.head2 < b.head2 ? -1 : 1;
    // Equal heads: the zero padding may hide a length difference, so the
    // lengths decide once the common part is equal.
    const std::uint32_t common = std::min(a.keySize, b.keySize);
    // Eight bytes a step may read past the shorter key: arenas end in kSlack spare bytes.
    for (std::uint32_t k = 16; k < common; k += 8) {
        std::uint64_t x = BigEndian64(a.key + k), y = BigEndian64(b.key + k);
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
inline unsigned ByteAt(const KeyedText& item, unsigned depth) {
    const std::uint64_t word = depth < 8 ? item.head : item.head2;
    return static_cast<unsigned>(word >> (56 - 8 * (depth & 7))) & 0xFF;
}

// Sorts the n items at `data`, whose keys share their first `depth` bytes:
// a byte at a time (most significant first) while it tells them apart,
// into buckets that alternate between the two buffers; small runs, and runs
// whose sixteen inline bytes are all equal, go to a comparison sort. The
// result ends at `data` when `intoData`, else at `other` (n items of room).
template <class Before>
void RadixSort(KeyedText* data, KeyedText* other, std::size_t n, unsigned depth, bool intoData, bool reverse,
               const Before& before) {
    std::uint32_t count[256];
    for (;; ++depth) {
        if (n < kRadixTexts || depth == 16) {
            KeyedText* const result = intoData ? data : other;
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

}  // namespace

unsigned KeyThreadsFor(std::size_t count, unsigned most) {
#ifdef ZABRELO_NO_THREADS
    (void)count;
    (void)most;
    return 1;
#else
    if (most == 0) most = std::max(1U, std::thread::hardware_concurrency());
    return static_cast<unsigned>(ThreadsFor(count, most, kTextsPerThread));
#endif
}

KeyBatch::KeyBatch(const CollationTable& table, Utf16Texts texts, std::size_t n, int level, unsigned threads) {
    if (n > kMaxTexts) throw std::length_error("too many texts");
    threads = std::max(1U, std::min<unsigned>(threads, static_cast<unsigned>(std::max<std::size_t>(1, n))));
    arenas_.resize(threads);
    items_ = LargeBuffer<KeyedText>(n);
    // Threads take chunks of texts as they go, so a thread that gets less
    // of a busy machine's time keys fewer texts instead of holding up the rest.
    const std::size_t chunks = (n + kChunkTexts - 1) / kChunkTexts;
    std::atomic<std::size_t> nextChunk{0};

    RunShares(threads, [&](unsigned share) {
        LargeBuffer<unsigned char>& arena = arenas_[share];
        std::size_t room = std::max<std::size_t>(64, n / threads * kArenaBytesPerText);
        arena = LargeBuffer<unsigned char>(room + kSlack);
        std::vector<std::size_t> taken;  // this thread's chunks, and below where their keys start
        std::vector<std::size_t> starts;
        std::size_t used = 0;
        for (std::size_t chunk; (chunk = nextChunk++) < chunks;) {
            taken.push_back(chunk);
            starts.push_back(used);
            for (std::size_t i = chunk * kChunkTexts, end = std::min(n, i + kChunkTexts); i < end; ++i) {
                const char16_t* const units = texts.texts[i];
                std::size_t count = texts.lengths[i];
                if (count == Utf16Texts::kUntilZero) count = std::char_traits<char16_t>::length(units);
                std::size_t size = WriteKey(table, units, count, level, arena.data() + used, room - used);
                if (size > UINT32_MAX) throw std::length_error("a key of 4 GiB or more");
                if (size > room - used) {
                    room = std::max(room * 2, used + size);
                    LargeBuffer<unsigned char> larger(room + kSlack);
                    std::memcpy(larger.data(), arena.data(), used);
                    arena = std::move(larger);
                    size = WriteKey(table, units, count, level, arena.data() + used, size);
                }
                const unsigned char* const key = arena.data() + used;
                items_[i] = {KeyHead(key, size), size > 8 ? KeyHead(key + 8, size - 8) : 0, nullptr,
                             static_cast<std::uint32_t>(size), static_cast<std::uint32_t>(i)};
                used += size;
            }
        }
        // The arena has stopped growing: each chunk's keys lie in it one after another.
        for (std::size_t c = 0; c < taken.size(); ++c) {
            const unsigned char* key = arena.data() + starts[c];
            for (std::size_t i = taken[c] * kChunkTexts, end = std::min(n, i + kChunkTexts); i < end; ++i) {
                items_[i].key = key;
                key += items_[i].keySize;
            }
        }
    });
}

void KeyBatch::Sort(bool reverse, unsigned threads) {
    // Equal keys are ordered by position, which keeps the sort stable in
    // both directions (reverse turns the keys round, not the ties) and makes
    // every item distinct, so a plain sort does what a slower stable sort would.
    const auto before = [reverse](const KeyedText& a, const KeyedText& b) {
        const int order = CompareKeys(a, b);
        if (order != 0) return reverse ? order > 0 : order < 0;
        return a.index < b.index;
    };
    const std::size_t n = items_.size();
    KeyedText* const items = items_.data();
    if (n < kBucketSortTexts) {
        std::sort(items, items + n, before);
        return;
    }
    // First a counting sort by the key's first two bytes (the first letters'
    // primaries): each thread counts, then moves, one part of the items, the
    // buckets in key order (reversed with `reverse`). Then each bucket on its
    // own, small enough to sort in cache, groups of buckets taken by the
    // threads as they go: by the next bytes while they tell items apart, and
    // by comparison (ties by position) at the end.
    threads = std::max(1U, threads);
    const auto bucketOf = [](const KeyedText& item) { return static_cast<std::size_t>(item.head >> 48); };
    std::vector<std::vector<std::uint32_t>> next(threads, std::vector<std::uint32_t>(kBuckets, 0));
    RunShares(threads, [&](unsigned share) {
        std::uint32_t* const count = next[share].data();
        const Share part = ShareOf(n, share, threads);
        for (std::size_t i = part.begin; i < part.end; ++i) ++count[bucketOf(items[i])];
    });
    std::vector<std::size_t> starts(kBuckets + 1);
    std::uint32_t position = 0;
    for (std::size_t k = 0; k < kBuckets; ++k) {
        const std::size_t bucket = reverse ? kBuckets - 1 - k : k;
        starts[k] = position;
        for (unsigned share = 0; share < threads; ++share) {
            const std::uint32_t count = next[share][bucket];
            next[share][bucket] = position;
            position += count;
        }
    }
    starts[kBuckets] = n;
    LargeBuffer<KeyedText> distributed(n);
    RunShares(threads, [&](unsigned share) {
        std::uint32_t* const to = next[share].data();
        const Share part = ShareOf(n, share, threads);
        for (std::size_t i = part.begin; i < part.end; ++i) distributed[to[bucketOf(items[i])]++] = items[i];
    });
    items_.Swap(distributed);
    KeyedText* const sorted = items_.data();
    KeyedText* const scratch = distributed.data();  // the old item buffer
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
                if (size > 1) RadixSort(sorted + starts[k], scratch + starts[k], size, 2, true, reverse, before);
            }
        }
    });
}

}  // namespace zabrelo
