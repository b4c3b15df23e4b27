// Utf8Keys: comparison reads as little as it can, since a database sort
// calls it some twenty times a row. Two texts compared in a sort are mostly
// close neighbours that share their first letters, and a common start
// weighs the same in both: cut where the walk can split both texts the same
// way, each level's key bytes are the start's, then the rest's, so the keys
// are compared from the cut. Most pairs are then settled by the first letter
// after it, read straight from its two bytes (QuickOrder); the rest go level
// by level from the cut (CompareFromCut).
#include "collation/Utf8Keys.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "collation/Utf8Walk.h"

namespace zabrelo {

namespace {

// Whether `bytes[i]` begins a character of its text: any byte but a
// continuation byte does, whatever comes before it, since no well-formed
// sequence holds one after its first byte.
inline bool Begins(const unsigned char* bytes, std::size_t i) { return (bytes[i] & 0xC0) != 0x80; }

// Whether the character at `bytes[i]` (which begins one) has a first unit
// the walk may join to the unit before it. Only Arabic letters may, and
// they are all two-byte sequences.
inline bool JoinsBackAt(const CollationTable& table, const unsigned char* bytes, std::size_t size, std::size_t i) {
    const unsigned lead = bytes[i];
    if (lead < 0xD8 || lead > 0xDB || i + 1 >= size || (bytes[i + 1] & 0xC0) != 0x80) return false;
    return JoinsBack(table, static_cast<char16_t>(((lead & 0x1F) << 6) | (bytes[i + 1] & 0x3F)));
}

// A place where both texts can be cut in two with the same start: the walk
// takes the same elements from the start of both and none crosses the cut.
// The last one within the first `common` bytes, which the texts share. A
// cut needs a character to begin there in both texts, and not one the walk
// may join to the one before; and it must come before the end of both
// texts, since the walk reads a last U+0626 otherwise. The texts'
// decodings agree before it: a character that the decoder reads from bytes
// across the cut reads as U+FFFD in both, since the cut's byte continues no
// sequence. The start of the texts is always a cut.
std::size_t LastCut(const CollationTable& table, const unsigned char* a, std::size_t aSize, const unsigned char* b,
                    std::size_t bSize, std::size_t common) {
    if (common == 0) return 0;
    std::size_t i = std::min(common, std::min(aSize, bSize) - 1);
    for (; i > 0; --i) {
        if (!Begins(a, i) || !Begins(b, i)) continue;
        // The characters there differ when they reach past the common bytes.
        if (!JoinsBackAt(table, a, aSize, i) && !JoinsBackAt(table, b, bSize, i)) break;
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

// QuickPrimary's answer for a letter that may pair with the next unit,
// `next`, which may end a pair: the pair's level-1 byte, or the letter's
// own when they do not pair; -1 when `next` is a letter the walk rewrites.
int PairPrimary(const CollationTable& table, unsigned index, char16_t next) {
    if (IsRewritten(next)) return -1;
    // The first entry that pairs wins, as in the walk.
    for (const CollationEntry& entry : table.Slot(table.Own(index).slot)) {
        if (entry.codePoint == static_cast<std::int32_t>(next)) return entry.weights[0] != 0 ? entry.weights[0] & 0xFF : -1;
    }
    const CollationTable::KeyUnit& key = table.Key(index);
    return key.keep[0] != 0 ? key.bytes[0] : -1;
}

// The level-1 byte of the element that starts at `p`, a cut (the start of
// the text when `atStart`), when the character there settles it with at
// most the one after it, as it mostly does: a space, or an Arabic letter (a
// two-byte sequence) with its own weights or paired with the next letter.
// Otherwise -1: the letter takes the whole walk, weighs nothing at level 1,
// or the walk may join it to the unit before it, so that no cut is there.
// The usual letter passes one test, whatever it is: the letters come in no
// order a branch could learn.
ZABRELO_UTF8WALK_INLINE int QuickPrimary(const CollationTable& table, const unsigned char* p, const unsigned char* end,
                                         bool atStart) {
    const std::size_t left = static_cast<std::size_t>(end - p);
    if (p[0] == ' ') return kSpaceWeights[0];
    if (left < 2 || p[0] - 0xD8u > 3u || (p[1] & 0xC0) != 0x80) return -1;
    const unsigned index = CollationTable::RangeIndex(static_cast<char16_t>(((p[0] & 0x1F) << 6) | (p[1] & 0x3F)));
    // The unit after it, when that is an Arabic letter, the only kind that
    // may end a pair; else the end's entry, which ends none.
    char16_t next = 0;
    unsigned nextIndex = CollationTable::kRangeSize;
    if (left >= 4) {
        next = static_cast<char16_t>(((p[2] & 0x1F) << 6) | (p[3] & 0x3F));
        const bool arabic = (p[2] - 0xD8u <= 3u) & ((p[3] & 0xC0) == 0x80);
        nextIndex = arabic ? CollationTable::RangeIndex(next) : static_cast<unsigned>(CollationTable::kRangeSize);
    }
    const CollationTable::KeyUnit& key = table.Key(index);
    const unsigned nextEnder = table.Key(nextIndex).ender;
    const unsigned blocked =
        (key.route & (CollationTable::kWalk | nextEnder)) | (atStart ? 0u : key.ender) | (key.keep[0] ^ 1u);
    if (blocked == 0) return key.bytes[0];
    if ((key.ender != 0 && !atStart) || key.route != CollationTable::kWalkBeforeEnder || nextEnder == 0) return -1;
    return PairPrimary(table, index, next);
}

// The order of two texts when the first character where they differ
// settles it, as QuickPrimary reads it; else 0. `common` is the length of
// their common start in bytes, shorter than both texts.
ZABRELO_UTF8WALK_INLINE int FirstDifference(const CollationTable& table, const unsigned char* a, std::size_t aSize,
                                            const unsigned char* b, std::size_t bSize, std::size_t common) {
    // Where the differing characters begin: there, or, when they share
    // their first byte, one byte before (QuickPrimary reads nothing that
    // begins with a continuation byte).
    const bool inside = !Begins(a, common);
    if (inside == Begins(b, common) || (inside && common == 0)) return 0;
    const std::size_t cut = common - (inside ? 1 : 0);
    const int p = QuickPrimary(table, a + cut, a + aSize, cut == 0);
    const int q = QuickPrimary(table, b + cut, b + bSize, cut == 0);
    if ((p | q) < 0) return 0;
    return (p > q) - (p < q);
}

// The key bytes of a text from some level on: that level's bytes from a
// cut or the start, then each further level's from the start. A key is the
// level strings joined, so the bytes of two keys after a common part
// compare as these do.
class KeyBytes {
public:
    KeyBytes(const CollationTable& table, const unsigned char* text, std::size_t size, const LevelBytes& level,
             int levelIndex, int levels)
        : table_(table), text_(text), size_(size), current_(level), level_(levelIndex), levels_(levels) {}

    /// The next key byte, or kLevelEnd after the last.
    int Next() {
        for (;;) {
            const int byte = current_.Next();
            if (byte != kLevelEnd || ++level_ >= levels_) return byte;
            current_ = LevelBytes(table_, text_, size_, level_);
        }
    }

private:
    const CollationTable& table_;
    const unsigned char* text_;
    std::size_t size_;
    LevelBytes current_;
    int level_;
    int levels_;
};

// The keys of two texts that are the same before `cut`, compared from it.
// While the two keys' level strings end together, each next level is
// compared from the cut too, its bytes before it being the same in both;
// once one ends first, the keys go on as KeyBytes, one with its next
// level from the start where the other still has bytes of this one.
int CompareFromCut(const CollationTable& table, const unsigned char* a, std::size_t aSize, const unsigned char* b,
                   std::size_t bSize, std::size_t cut, int levels) {
    for (int level = 0; level < levels; ++level) {
        LevelBytes x(table, a + cut, aSize - cut, level), y(table, b + cut, bSize - cut, level);
        for (;;) {
            int p = x.Next(), q = y.Next();
            if (p == q) {
                if (p == kLevelEnd) break;
                continue;
            }
            if (p >= 0 && q >= 0) return p < q ? -1 : 1;
            KeyBytes xKey(table, a, aSize, x, level, levels), yKey(table, b, bSize, y, level, levels);
            if (p == kLevelEnd) p = xKey.Next();
            if (q == kLevelEnd) q = yKey.Next();
            while (p == q && p != kLevelEnd) {
                p = xKey.Next();
                q = yKey.Next();
            }
            return (p > q) - (p < q);  // a key that ends (kLevelEnd) first
        }
    }
    return 0;
}

// The order of a text `a` that is the start of a longer `b`, when quickly
// found, else 0. Cut where `a` ends, `b`'s level-1 key is `a`'s and then the
// rest's, unless `a` ends in U+0626, which the walk reads otherwise when it
// is last. When the rest's first element settles its level-1 byte, `a`'s
// key goes on with its level-2 bytes, from its start, where `b`'s has that
// byte.
int ShorterFirst(const CollationTable& table, const unsigned char* a, std::size_t aSize, const unsigned char* b,
                 std::size_t bSize, int levels) {
    if (aSize >= 2 && a[aSize - 2] == 0xD8 && a[aSize - 1] == 0xA6) return 0;
    const int next = QuickPrimary(table, b + aSize, b + bSize, aSize == 0);
    if (next < 0) return 0;
    KeyBytes rest(table, a, aSize, LevelBytes(table, a + aSize, 0, 0), 0, levels);
    const int after = rest.Next();
    if (after == next) return 0;
    return after < next ? -1 : 1;  // a key that ends (kLevelEnd) first
}

// The order of two texts that FirstDifference or ShorterFirst settles,
// else 0. `common` is the length of their common start in bytes.
ZABRELO_UTF8WALK_INLINE int QuickOrder(const CollationTable& table, const unsigned char* a, std::size_t aSize,
                                       const unsigned char* b, std::size_t bSize, std::size_t common, int levels) {
    if (common == aSize) return ShorterFirst(table, a, aSize, b, bSize, levels);
    if (common == bSize) return -ShorterFirst(table, b, bSize, a, aSize, levels);
    return FirstDifference(table, a, aSize, b, bSize, common);
}

}  // namespace

int CompareUtf8Keys(const CollationTable& table, const char* aText, std::size_t aSize, const char* bText,
                    std::size_t bSize, int level) {
    if (level <= 0) return 0;
    const auto* a = reinterpret_cast<const unsigned char*>(aText);
    const auto* b = reinterpret_cast<const unsigned char*>(bText);
    const std::size_t common = CommonStart(a, b, std::min(aSize, bSize));
    if (common == aSize && common == bSize) return 0;
    const int levels = std::min(level, CollationTable::kMaxLevel);
    const int quick = QuickOrder(table, a, aSize, b, bSize, common, levels);
    if (quick != 0) return quick;
    return CompareFromCut(table, a, aSize, b, bSize, LastCut(table, a, aSize, b, bSize, common), levels);
}

std::size_t WriteUtf8Key(const CollationTable& table, const char* text, std::size_t size, int level,
                         unsigned char* out, std::size_t capacity) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    const int levels = std::min(level, CollationTable::kMaxLevel);
    std::size_t length = 0;
    for (int l = 0; l < levels; ++l) {
        LevelBytes walk(table, bytes, size, l);
        for (int byte = walk.Next(); byte != kLevelEnd; byte = walk.Next()) {
            if (length < capacity) out[length] = static_cast<unsigned char>(byte);
            ++length;
        }
    }
    return length;
}

}  // namespace zabrelo
