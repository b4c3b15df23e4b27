// KeyBatch: each thread takes one contiguous share of the texts and writes
// their keys to an arena of its own; pointers into an arena are taken only
// once it has stopped growing. Sorting works on 24-byte items whose first
// eight key bytes settle most comparisons without following the pointer.
#include "KeyBatch.h"

#include <algorithm>
#include <exception>
#include <stdexcept>
#include <thread>

#include "collation/CollationKeys.h"

namespace zabrelo_python {

namespace {

constexpr std::size_t kTextsPerThread = 16384;
constexpr std::size_t kArenaBytesPerText = 32;  // a first guess; an arena grows when keys are longer

// Runs work(0) .. work(count - 1), share 0 on the calling thread and the
// others on threads of their own; a thread that cannot be started has its
// share run here instead. The first exception of any share is rethrown
// once every share has ended.
template <class Work>
void RunShares(unsigned count, const Work& work) {
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
}

std::uint64_t Head(const unsigned char* key, std::size_t size) {
    std::uint64_t head = 0;
    for (std::size_t k = 0; k < 8; ++k) head = (head << 8) | (k < size ? key[k] : 0U);
    return head;
}

// Unsigned byte order of the keys: the collation order.
int CompareKeys(const KeyedText& a, const KeyedText& b) {
    if (a.head != b.head) return a.head < b.head ? -1 : 1;
    // Equal heads: the zero padding may hide a length difference, so compare from the start.
    const std::uint32_t common = std::min(a.keySize, b.keySize);
    const int order = common == 0 ? 0 : std::char_traits<char>::compare(reinterpret_cast<const char*>(a.key),
                                                                         reinterpret_cast<const char*>(b.key), common);
    if (order != 0) return order;
    return a.keySize < b.keySize ? -1 : a.keySize > b.keySize ? 1 : 0;
}

}  // namespace

unsigned ThreadsFor(std::size_t count) {
    const unsigned cores = std::max(1U, std::thread::hardware_concurrency());
    return static_cast<unsigned>(std::max<std::size_t>(1, std::min<std::size_t>(cores, count / kTextsPerThread)));
}

KeyBatch::KeyBatch(const zabrelo::CollationTable& table, const std::vector<TextRef>& texts, int level,
                   unsigned threads) {
    const std::size_t n = texts.size();
    if (n > kMaxTexts) throw std::length_error("too many texts");
    threads = std::max(1U, std::min<unsigned>(threads, static_cast<unsigned>(std::max<std::size_t>(1, n))));
    arenas_.resize(threads);
    items_.resize(n);
    std::vector<std::size_t> offsets(n);

    RunShares(threads, [&](unsigned share) {
        std::vector<unsigned char>& arena = arenas_[share];
        const std::size_t begin = n * share / threads, end = n * (share + 1) / threads;
        arena.resize(std::max<std::size_t>(64, (end - begin) * kArenaBytesPerText));
        std::u16string scratch;
        std::size_t used = 0;
        for (std::size_t i = begin; i < end; ++i) {
            std::size_t count = 0;
            const char16_t* const units = Utf16Units(texts[i], scratch, count);
            std::size_t size = zabrelo::WriteKey(table, units, count, level, arena.data() + used, arena.size() - used);
            if (size > UINT32_MAX) throw std::length_error("a key of 4 GiB or more");
            if (size > arena.size() - used) {
                arena.resize(std::max(arena.size() * 2, used + size));
                size = zabrelo::WriteKey(table, units, count, level, arena.data() + used, size);
            }
            offsets[i] = used;
            items_[i] = {Head(arena.data() + used, size), nullptr, static_cast<std::uint32_t>(size),
                         static_cast<std::uint32_t>(i)};
            used += size;
        }
        for (std::size_t i = begin; i < end; ++i) items_[i].key = arena.data() + offsets[i];
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
    // Each thread sorts one run; neighbouring runs are then merged pairwise.
    const std::size_t n = items_.size();
    const std::size_t runs = std::max<std::size_t>(1, std::min<std::size_t>(threads, n / kTextsPerThread));
    std::vector<std::size_t> bounds;
    for (std::size_t r = 0; r <= runs; ++r) bounds.push_back(n * r / runs);
    const auto at = [this](std::size_t index) { return items_.begin() + static_cast<std::ptrdiff_t>(index); };
    RunShares(static_cast<unsigned>(runs), [&](unsigned r) { std::sort(at(bounds[r]), at(bounds[r + 1]), before); });
    for (std::size_t width = 1; width < runs; width *= 2) {
        for (std::size_t r = 0; r + width < runs; r += 2 * width) {
            const std::size_t last = std::min(r + 2 * width, runs);
            std::inplace_merge(at(bounds[r]), at(bounds[r + width]), at(bounds[last]), before);
        }
    }
}

}  // namespace zabrelo_python
