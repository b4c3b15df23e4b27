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
#include "collation/NaturalKeys.h"
#include "library/KeyHead.h"
#include "library/KeySort.h"
#include "library/ThreadShares.h"

namespace zabrelo {

namespace {

#ifndef ZABRELO_NO_THREADS
constexpr std::size_t kTextsPerThread = 16384;
#endif
constexpr std::size_t kArenaBytesPerText = 32;  // a first guess; an arena grows when keys are longer
constexpr std::size_t kChunkTexts = 4096;        // texts a thread keys at a time

// WriteNaturalKey without a stop check, as WriteKey is called.
std::size_t WriteNaturalKeyOf(const CollationTable& table, const char16_t* text, std::size_t length, int level,
                              unsigned char* out, std::size_t capacity) {
    return WriteNaturalKey(table, text, length, level, out, capacity);
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

KeyBatch::KeyBatch(const CollationTable& table, Utf16Texts texts, std::size_t n, int level, unsigned threads,
                   bool natural) {
    // Chosen once: both writers are called through the pointer alike.
    std::size_t (*const write)(const CollationTable&, const char16_t*, std::size_t, int, unsigned char*,
                               std::size_t) = natural ? WriteNaturalKeyOf : WriteKey;
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
        arena = LargeBuffer<unsigned char>(room + kKeySlack);
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
                std::size_t size = write(table, units, count, level, arena.data() + used, room - used);
                if (size > UINT32_MAX) throw std::length_error("a key of 4 GiB or more");
                if (size > room - used) {
                    room = std::max(room * 2, used + size);
                    LargeBuffer<unsigned char> larger(room + kKeySlack);
                    std::memcpy(larger.data(), arena.data(), used);
                    arena = std::move(larger);
                    size = write(table, units, count, level, arena.data() + used, size);
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
    SortByKeys(items_.data(), items_.size(), reverse, threads, [](const KeyedText& item) { return item.index; });
}

}  // namespace zabrelo
