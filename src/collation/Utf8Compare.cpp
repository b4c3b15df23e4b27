// Utf8Compare: the key order of two UTF-8 texts. It reads as little as it
// can, since a database sort calls it some twenty times a row. Two texts
// compared in a sort are mostly close neighbours that share their first
// letters, and a common start weighs the same in both: cut where the walk
// can split both texts the same way, each level's key bytes are the
// start's, then the rest's, so the keys are compared from the cut. The
// quick paths (Utf8QuickOrder.h) settle most pairs from where the texts
// differ; the rest are compared level by level from the cut through the
// one walk (CompareFromCut).
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "collation/Inlining.h"
#include "collation/KeyWalk.h"
#include "collation/Utf8Keys.h"
#include "collation/Utf8Letters.h"
#include "collation/Utf8QuickOrder.h"
#include "collation/Utf8Walk.h"

namespace zabrelo {

namespace {

// A place where both texts can be cut in two with the same start: the walk
// takes the same elements from the start of both and none crosses the cut.
// The last one within the first `common` bytes, which the texts share. A
// cut needs a character to begin there in both texts, and not one that
// is an ender; and it must come before the end of both texts, since the
// walk reads a last kRewrittenByPlace otherwise. The texts' decodings agree
// before it: a character that the decoder reads from bytes across the cut
// reads as U+FFFD in both, since the cut's byte continues no sequence. The
// start of the texts is always a cut.
std::size_t LastCut(const CollationTable& table, const unsigned char* a, std::size_t aSize, const unsigned char* b,
                    std::size_t bSize, std::size_t common) {
    if (common == 0) return 0;
    std::size_t i = std::min(common, std::min(aSize, bSize) - 1);
    for (; i > 0; --i) {
        if (!Begins(a, i) || !Begins(b, i)) continue;
        // The characters there differ when they reach past the common bytes.
        if (!EnderAt(table, a, aSize, i) && !EnderAt(table, b, bSize, i)) break;
    }
    return i;
}

// The length of the common start of two texts of at least `size` bytes.
std::size_t CommonStart(const unsigned char* a, const unsigned char* b, std::size_t size) {
#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    // Eight bytes at a time; the lowest differing bit of a word is in its
    // first differing byte, with no loop over bytes whose end a branch
    // could not foresee. The last word may overlap the one before.
    if (size >= 8) {
        for (std::size_t i = 0;; i += 8) {
            if (i + 8 > size) i = size - 8;
            std::uint64_t x, y;
            std::memcpy(&x, a + i, 8);
            std::memcpy(&y, b + i, 8);
            if (x != y) return i + static_cast<std::size_t>(__builtin_ctzll(x ^ y) / 8);
            if (i + 8 == size) return size;
        }
    }
#endif
    std::size_t i = 0;
    while (i < size && a[i] == b[i]) ++i;
    return i;
}

// The keys of two texts that are the same before `cut`, compared from it.
// While the two keys' level strings end together, each next level is
// compared from the cut too, its bytes before it being the same in both;
// once one ends first, the keys go on whole, one with its next level from
// the start where the other still has bytes of this one.
ZABRELO_RARE int CompareFromCut(const CollationTable& table, const unsigned char* a, std::size_t aSize,
                                const unsigned char* b, std::size_t bSize, std::size_t cut, int levels) {
    const Utf8Text aText{a, a + aSize}, bText{b, b + bSize};
    for (int level = 0; level < levels; ++level) {
        KeyStream<Utf8Text> x(table, aText, a + cut, level, levels), y(table, bText, b + cut, level, levels);
        for (;;) {
            int p = x.NextInLevel(), q = y.NextInLevel();
            if (p == q) {
                if (p == kEnd) break;
                continue;
            }
            if (p >= 0 && q >= 0) return p < q ? -1 : 1;
            if (p == kEnd) p = x.Next();
            if (q == kEnd) q = y.Next();
            while (p == q && p != kEnd) {
                p = x.Next();
                q = y.Next();
            }
            return (p > q) - (p < q);  // a key that ends (kEnd) first
        }
    }
    return 0;
}

// The order of two texts that differ after their first `common` bytes, when
// the inline quick paths cannot tell it.
ZABRELO_RARE int CompareAfter(const CollationTable& table, const unsigned char* a, std::size_t aSize,
                              const unsigned char* b, std::size_t bSize, std::size_t common, int level) {
    const int levels = std::min(level, CollationTable::kMaxLevel);
    const int quick = QuickOrder(table, a, aSize, b, bSize, common, levels);
    if (quick != 0) return quick;
    return CompareFromCut(table, a, aSize, b, bSize, LastCut(table, a, aSize, b, bSize, common), levels);
}

}  // namespace

int CompareUtf8Keys(const CollationTable& table, const char* aText, std::size_t aSize, const char* bText,
                    std::size_t bSize, int level) {
    if (level <= 0) return 0;
    const auto* a = reinterpret_cast<const unsigned char*>(aText);
    const auto* b = reinterpret_cast<const unsigned char*>(bText);
    const std::size_t common = CommonStart(a, b, std::min(aSize, bSize));
    if (common == aSize && common == bSize) return 0;
    // Most pairs are settled by the first letters where they differ.
    if (common < aSize && common < bSize) {
        const int order = LetterOrder(table, a, aSize, b, bSize, common);
        if (order != 0) return order;
    } else {
        // One text is the start of the other.
        const int order = common == aSize ? StartOrder(table, a, b, aSize, bSize, level)
                                          : -StartOrder(table, b, a, bSize, aSize, level);
        if (order != 0) return order;
    }
    return CompareAfter(table, a, aSize, b, bSize, common, level);
}

}  // namespace zabrelo
